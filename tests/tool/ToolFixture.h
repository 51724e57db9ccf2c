// Shared by the tool's tests: a scratch folder, the rgn program run as a user runs it, the
// meshes made for the suite, and the sets of a database read back through the library (not
// through the tool).
#pragma once

#include "Files.h"
#include "ModuleStart.h"
#include "Refusal.h"
#include "TempDir.h"
#include "ddr_Ddb.h"
#include "rgnC_Paths.h"
#include "rgnC_SetDataMap.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// What a run of a program said: exit code, standard output and standard error.
struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

// A set's contents as a user sees them: every id once, and for surfaces the (element, facet)
// pairs.
struct StoredSet {
    std::set<int> ids;
    std::set<std::pair<int, int>> faceted;
    bool operator==(const StoredSet&) const = default;
};
// Keyed by label and kind (res_SetTypeEnm as int).
using StoredSets = std::map<std::pair<std::string, int>, StoredSet>;

class ToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // For the rgn program in a sanitizer build (this process read its options already).
        ::setenv("LSAN_OPTIONS", "print_suppressions=0:suppressions=" RGN_TOOL_LSAN_SUPPRESSIONS,
                 1);
        StartModule();
    }

    ToolRun rgn(const std::vector<std::string>& args) const { return run(RGN_TOOL_PATH, args); }

    // Runs `program` through the shell and waits for it; its output goes through files in the
    // scratch folder, so that long output cannot block it.
    ToolRun run(const std::string& program, const std::vector<std::string>& args) const {
        std::string command = quoted(program);
        for (const std::string& a : args)
            command += " " + quoted(a);
        const std::string out = file(".rgn.out"), err = file(".rgn.err");
        const int status =
            std::system((command + " >" + quoted(out) + " 2>" + quoted(err)).c_str());
        const ToolRun result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out),
                             ReadFile(err)};
        std::filesystem::remove(out);
        std::filesystem::remove(err);
        return result;
    }
    // The text as one shell word.
    static std::string quoted(const std::string& text) {
        std::string word = "'";
        for (const char c : text)
            word += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return word + "'";
    }

    // A run refused as the tool refuses: exit code 1 and one line on standard error, "rgn: ...".
    static ::testing::AssertionResult failedInOneLine(const ToolRun& r) {
        if (r.code == 1 && std::count(r.err.begin(), r.err.end(), '\n') == 1 &&
            r.err.rfind("rgn: ", 0) == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "exit code " << r.code << ", said: " << r.err;
    }

    static std::string mesh(const std::string& name) {
        return std::string(RGN_TOOL_MESHES) + "/" + name;
    }
    std::string file(const std::string& name) const { return dir.File(name); }

    // What the scratch folder holds, name -> bytes (empty for a folder), to show that a failure
    // left nothing behind and changed nothing.
    std::map<std::string, std::string> folder() const {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("")))
            files[e.path().filename().string()] = e.is_regular_file() ? ReadFile(e.path()) : "";
        return files;
    }

    // The standard output of a run that must succeed as a script runs it: with no terminal the
    // tool draws no progress, so nothing comes on standard error.
    std::string outputOf(const std::vector<std::string>& args) const {
        const ToolRun r = rgn(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return r.out;
    }
    // What an import of `input` into a new database `db` stored, read through the library.
    StoredSets imported(const std::string& input, const std::string& db) const {
        outputOf({"import", input, db});
        return storedSets(db);
    }

    // The tool stores the sets of a mesh under the keys 0, 1, ... of the root "sets".
    static StoredSets storedSets(const std::string& db) {
        StoredSets out;
        ddr_Ddb model(cow_String("model"), db, ddr_Ddb::Mode::ReadOnly);
        const auto list = model.LoadRoot<rgnC_SetDataMap>(cow_String("sets"));
        for (int key = 0; key < list.Count(); ++key) {
            const rgnC_SetData& set = list.ConstGet(key);
            StoredSet& s = out[{set.SetLabel().str(), static_cast<int>(set.SetType())}];
            for (int k = 0; k < set.NumSubset(); ++k) {
                const rgnC_SubsetData& sub = set.SubSet(k);
                for (int i = 0; i < sub.IdArray().Count(); ++i) {
                    s.ids.insert(sub.IdArray().ConstGet(i));
                    if (sub.FacetIdArray().Count() > 0)
                        s.faceted.insert(
                            {sub.IdArray().ConstGet(i), sub.FacetIdArray().ConstGet(i)});
                }
            }
        }
        return out;
    }

    TempDir dir;
};

constexpr int kNode = static_cast<int>(res_SetTypeEnm::NODE_SET);
constexpr int kElement = static_cast<int>(res_SetTypeEnm::ELEMENT_SET);
constexpr int kSurface = static_cast<int>(res_SetTypeEnm::SURFACE_SET);
