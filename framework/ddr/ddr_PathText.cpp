#include "ddr_PathText.h"

#include "nex_Message.h"

#include <cctype>
#include <charconv>

namespace {

constexpr const char* kSource = "framework/ddr/ddr_PathText";
constexpr int kRefusedLine = 15;

[[noreturn]] void refuse(std::string_view text, std::size_t at, const std::string& problem) {
    nex_Message::Raise(kSource, kRefusedLine, "path text '%1$s': %2$s at character %3$s",
                       std::string(text), problem, static_cast<int>(at + 1));
}

bool startsName(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool continuesName(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// A cursor over the text that refuses with the current offset.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    std::size_t Pos() const { return pos_; }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    bool Accept(std::string_view s) {
        if (text_.substr(pos_, s.size()) != s)
            return false;
        pos_ += s.size();
        return true;
    }
    void Expect(char c, const char* what) {
        if (Peek() != c)
            Fail(std::string("'") + c + "' expected " + what);
        ++pos_;
    }
    std::string Name(const char* what) {
        if (!startsName(Peek()))
            Fail(std::string(what) + " expected");
        const std::size_t from = pos_;
        while (continuesName(Peek()))
            ++pos_;
        return std::string(text_.substr(from, pos_ - from));
    }
    int Key() {
        const std::size_t from = pos_;
        std::size_t end = pos_ + (Peek() == '-' ? 1 : 0);
        while (end < text_.size() && std::isdigit(static_cast<unsigned char>(text_[end])))
            ++end;
        int key = 0;
        const auto [stop, error] = std::from_chars(text_.data() + from, text_.data() + end, key);
        if (error == std::errc::result_out_of_range)
            Fail("key out of the range of an int");
        if (error != std::errc() || stop == text_.data() + from)
            Fail("a key (a whole number) expected");
        pos_ = end;
        return key;
    }
    [[noreturn]] void Fail(const std::string& problem) const { refuse(text_, pos_, problem); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

ddr_PathText ddr_PathText::Parse(std::string_view text) {
    ddr_PathText p;
    p.text_ = std::string(text);
    Reader in(text);
    if (in.AtEnd())
        in.Fail("empty text");
    if (in.Accept("ddb(")) {
        const char quote = in.Peek();
        if (quote != '\'' && quote != '"')
            in.Fail("a quoted database name expected");
        in.Accept(std::string_view(&quote, 1));
        p.ddb_ = in.Name("a database name");
        in.Expect(quote, "after the database name");
        in.Expect(')', "after the quoted database name");
    } else {
        p.ddb_ = in.Name("a database name");
    }
    in.Expect('.', "after the database name");
    p.root_ = in.Name("a root name");
    while (!in.AtEnd()) {
        const std::size_t at = in.Pos();
        if (in.Accept("[")) {
            const int key = in.Key();
            in.Expect(']', "after the key");
            p.steps_.push_back({Step::Kind::Key, key, {}, at});
        } else if (in.Accept(".")) {
            p.steps_.push_back({Step::Kind::Member, 0, in.Name("a member name"), at});
        } else {
            in.Fail("'[' or '.' expected");
        }
    }
    return p;
}

void ddr_PathText::Refuse(std::size_t at, const std::string& problem) const {
    refuse(text_, at, problem);
}
