#include "tool_Report.h"

using nlohmann::json;

namespace {

std::string text(const json& v) {
    return v.is_string() ? v.get<std::string>() : v.dump();
}

void printSets(const json& sets, std::FILE* out) {
    for (const json& s : sets)
        std::fprintf(out, "  %-22s %-8s %3d subsets %9ld ids  %s\n", text(s["path"]).c_str(),
                     text(s["type"]).c_str(), s["subsets"].get<int>(), s["ids"].get<long>(),
                     text(s["label"]).c_str());
}

void printSubsets(const json& subsets, std::FILE* out) {
    for (const json& s : subsets)
        std::fprintf(out, "  %-30s mesh %-5d class %-3d %-14s %9d ids %9d facets\n",
                     text(s["path"]).c_str(), s["mesh"].get<int>(), s["class"].get<int>(),
                     text(s["type"]).c_str(), s["ids"].get<int>(), s["facets"].get<int>());
}

void printIds(const char* what, const json& ids, std::FILE* out) {
    std::fprintf(out, "%s (%zu):", what, ids.size());
    int column = 0;
    for (const json& id : ids) {
        if (column++ % 12 == 0)
            std::fputs("\n ", out);
        std::fprintf(out, " %d", id.get<int>());
    }
    std::fputs("\n", out);
}

} // namespace

void tool_Report::Print(const std::string& command, const json& a, std::FILE* out) {
    if (command == "import") {
        std::fprintf(out, "imported %s sets (%s ids) from %s into %s as %s\n",
                     text(a["sets"]).c_str(), text(a["ids"]).c_str(), text(a["mesh"]).c_str(),
                     text(a["database"]).c_str(), text(a["path"]).c_str());
    } else if (command == "export") {
        std::fprintf(out, "exported %s sets from %s to %s\n", text(a["sets"]).c_str(),
                     text(a["database"]).c_str(), text(a["exodus"]).c_str());
        for (const json& s : a["skipped"])
            std::fprintf(out, "  not written: '%s' (a surface without facet ids)\n",
                         text(s).c_str());
    } else if (command == "ls") {
        std::fprintf(out, "%s\n", text(a["database"]).c_str());
        for (const json& r : a["roots"]) {
            if (r["kind"] == "set-data list") {
                std::fprintf(out, "%s: set-data list of %zu sets\n", text(r["path"]).c_str(),
                             r["sets"].size());
                printSets(r["sets"], out);
            } else {
                std::fprintf(out, "%s: %s\n", text(r["path"]).c_str(), text(r["kind"]).c_str());
            }
        }
    } else if (command == "show") {
        std::fprintf(out, "%s  (%s), a %s\n", text(a["path"]).c_str(), text(a["scripting"]).c_str(),
                     text(a["names"]).c_str());
        const std::string names = a["names"];
        if (names == "set-data list") {
            printSets(a["sets"], out);
        } else if (names == "set") {
            std::fprintf(out, "  label %s, index %d, %s set, internal %s, unsorted %s\n",
                         text(a["label"]).c_str(), a["index"].get<int>(), text(a["type"]).c_str(),
                         a["internal"].get<bool>() ? "yes" : "no",
                         a["unsorted"].get<bool>() ? "yes" : "no");
            printSubsets(a["subsets"], out);
        } else if (names == "subset list") {
            printSubsets(a["subsets"], out);
        } else {
            std::fprintf(out, "  subset %d of set %d: mesh %d, class %d, %s, unsorted %s\n",
                         a["index"].get<int>(), a["set index"].get<int>(), a["mesh"].get<int>(),
                         a["class"].get<int>(), text(a["type"]).c_str(),
                         a["unsorted"].get<bool>() ? "yes" : "no");
            printIds("ids", a["ids"], out);
            if (!a["facets"].empty())
                printIds("facet ids", a["facets"], out);
        }
    } else if (command == "lookup") {
        for (const json& answer : a["answers"]) {
            if (answer["position"].is_null())
                std::fprintf(out, "%d absent\n", answer["id"].get<int>());
            else if (answer.contains("subset"))
                std::fprintf(out, "%d subset[%d] %d\n", answer["id"].get<int>(),
                             answer["subset"].get<int>(), answer["position"].get<int>());
            else
                std::fprintf(out, "%d %d\n", answer["id"].get<int>(),
                             answer["position"].get<int>());
        }
    } else if (command == "check") {
        for (const json& p : a["problems"])
            std::fprintf(out, "problem: %s\n", text(p).c_str());
        for (const json& r : a["unchecked roots"])
            std::fprintf(out, "not checked: root '%s' (neither sets nor region pairs)\n",
                         text(r).c_str());
        std::fprintf(out, "%s: %s; %s sets, %s subsets, %s paths checked\n",
                     text(a["database"]).c_str(), a["problems"].empty() ? "ok" : "problems found",
                     text(a["sets"]).c_str(), text(a["subsets"]).c_str(), text(a["paths"]).c_str());
        if (a["unreachable rows"].get<long>() > 0)
            std::fprintf(out, "%s rows no root reaches (left for the next sweep; `rgn compact` "
                              "removes them now)\n",
                         text(a["unreachable rows"]).c_str());
    } else if (command == "upgrade") {
        if (a["result"] == "upgraded")
            std::fprintf(out, "upgraded %s into %s (%s rows converted)\n",
                         text(a["database"]).c_str(), text(a["upgraded"]).c_str(),
                         text(a["rows"]).c_str());
        else
            std::fprintf(out, "%s is in the current layouts already; nothing written\n",
                         text(a["database"]).c_str());
    } else if (command == "compact") {
        std::fprintf(out, "compacted %s: %s unreachable rows deleted, %s bytes to %s\n",
                     text(a["database"]).c_str(), text(a["rows deleted"]).c_str(),
                     text(a["bytes before"]).c_str(), text(a["bytes after"]).c_str());
    } else if (command == "demo") {
        std::fprintf(out, "stored %s sets and %zu region pairs in %s, then reopened it\n",
                     text(a["sets"]).c_str(), a["pairs"].size(), text(a["database"]).c_str());
        for (const json& r : a["resolved"]) {
            std::fprintf(out, "\n%s\n  path %s, scripting text %s\n", text(r["text"]).c_str(),
                         text(r["path"]).c_str(), text(r["scripting"]).c_str());
            if (r.contains("lookup"))
                std::fprintf(out, "  id %d stands at position %d\n", r["lookup"]["id"].get<int>(),
                             r["lookup"]["position"].get<int>());
            std::fprintf(out, "  listing of the set:\n");
            for (const json& line : r["listing"])
                std::fprintf(out, "    %s\n", text(line).c_str());
        }
        std::fprintf(out, "\nregion pairs read back:\n");
        for (const json& p : a["pairs"]) {
            for (const json& r : p["regions"])
                std::fprintf(out, "  %-10s path %-16s resolves to '%s' with %d subsets\n",
                             text(r["name"]).c_str(), text(r["path"]).c_str(),
                             text(r["set"]).c_str(), r["subsets"].get<int>());
            std::fprintf(out, "  ground flags %s/%s\n", p["ground"][0].get<bool>() ? "yes" : "no",
                         p["ground"][1].get<bool>() ? "yes" : "no");
        }
        std::fprintf(out, "\nobjects fetched from the file: %s\n", text(a["fetched"]).c_str());
    }
}
