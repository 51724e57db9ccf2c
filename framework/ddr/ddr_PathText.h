// A path text taken apart without knowing what it leads to: the database, the root stored
// under a name there, then steps, each a key in brackets or a member name after a full stop.
// The module that owns the classes along the path turns the steps into its path handles.
//
//   const ddr_PathText p = ddr_PathText::Parse("ddb('model').sets[17].subset[2]");
//   // p.Ddb() "model", p.Root() "sets", p.Steps(): key 17, member "subset", key 2
//
// Both spellings are read: `model.sets[17]` and the scripting form `ddb('model').sets[17]`
// (double quotes too). Names are letters, digits and '_', not starting with a digit; keys are
// decimal ints, possibly negative. A malformed text is refused with nex_TextException naming
// the text and the character (counted from 1) where reading stopped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class ddr_PathText {
public:
    struct Step {
        enum class Kind { Key, Member };
        Kind kind;
        int key;            // for a key step
        std::string member; // for a member step
        std::size_t at;     // 0-based offset of the step's first character ('[' or '.')
    };

    // Reads the whole text once, O(length); copies the text and each name out of it (allocates).
    static ddr_PathText Parse(std::string_view text);

    // No copy, O(1).
    const std::string& Text() const { return text_; }
    const std::string& Ddb() const { return ddb_; }
    const std::string& Root() const { return root_; }
    const std::vector<Step>& Steps() const { return steps_; }

    // Refuses the text with `problem` at a 0-based offset: for callers that find a step of
    // a well-formed text meaningless (an unknown member, a key where none can stand). Builds the
    // message, quoting the whole text.
    [[noreturn]] void Refuse(std::size_t at, const std::string& problem) const;

private:
    std::string text_;
    std::string ddb_;
    std::string root_;
    std::vector<Step> steps_;
};
