// rgn: model databases of sets from the command line: import meshes, look at and query the
// sets, check, compact and upgrade a database, export the sets to Exodus II.
//
// Exit codes: 0 success; 1 bad input (one line on standard error naming the file and the
// problem); 2 usage.
#include "cls_MetadataRegistrar.h"
#include "nex_Exception.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "rgnC_Paths.h"
#include "tool_BadInput.h"
#include "tool_Commands.h"
#include "tool_Report.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <functional>

namespace {

// One line, whatever the message holds.
std::string oneLine(std::string message) {
    for (char& c : message)
        if (c == '\n' || c == '\r')
            c = ' ';
    return message;
}

// Module start-up for the life of the program.
class ModuleSession {
public:
    ModuleSession() {
        rgnC_initialize(count_);
    }
    ~ModuleSession() { rgnC_finalize(count_); }

private:
    int count_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"rgn: model databases of node, element and surface sets"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "all subcommands' help");

    bool json = false;
    bool force = false;
    std::string db = "rgn_demo.db", mesh, out, path;
    std::vector<int> ids;
    std::function<nlohmann::json()> run;
    std::string command;

    auto add = [&](const char* name, const char* what, std::function<nlohmann::json()> body) {
        CLI::App* sub = app.add_subcommand(name, what);
        sub->add_flag("--json", json, "print the answer as JSON");
        sub->callback([&, body, name] {
            command = name;
            run = body;
        });
        return sub;
    };

    add("demo", "build, store, reopen and read back a small model database", [&] {
        return tool_Commands::Demo(db);
    })->add_option("DB", db, "database file to write (default rgn_demo.db)");
    CLI::App* import =
        add("import", "read the sets of a Gmsh or Exodus II mesh into a new database",
            [&] { return tool_Commands::Import(mesh, db, force); });
    import->add_option("MESH", mesh, "Gmsh (.msh, version 2 or 4) or Exodus II file")->required();
    import->add_option("DB", db, "database file to create")->required();
    import->add_flag("--force", force, "replace DB if it exists");
    CLI::App* exp = add("export", "write the sets of a database to an Exodus II file",
                        [&] { return tool_Commands::Export(db, out); });
    exp->add_option("DB", db, "database file")->required();
    exp->add_option("OUT", out, "Exodus II file to write")->required();
    add("ls", "list the roots and sets of a database", [&] { return tool_Commands::Ls(db); })
        ->add_option("DB", db, "database file")
        ->required();
    CLI::App* show = add("show", "resolve a path text and list what it names",
                         [&] { return tool_Commands::Show(db, path); });
    show->add_option("DB", db, "database file")->required();
    show->add_option("PATH", path, "e.g. model.sets[3] or model.sets[3].subset[0]")->required();
    CLI::App* lookup = add("lookup", "positions of ids in a subset, or in the subsets of a set",
                           [&] { return tool_Commands::Lookup(db, path, ids); });
    lookup->add_option("DB", db, "database file")->required();
    lookup->add_option("PATH", path, "path text of a subset or a set")->required();
    lookup->add_option("ID", ids, "ids to look up")->required();
    add("check", "check a database: storage integrity and the sets' own invariants",
        [&] { return tool_Commands::Check(db); })
        ->add_option("DB", db, "database file")
        ->required();
    CLI::App* upgrade = add("upgrade", "upgrade a database of older class layouts into a new file",
                            [&] { return tool_Commands::Upgrade(db, out); });
    upgrade->add_option("OLD", db, "database file of older layouts (only read)")->required();
    upgrade->add_option("NEW", out, "file to write (must not exist)")->required();
    add("compact", "delete the rows no root reaches and give their space back",
        [&] { return tool_Commands::Compact(db); })
        ->add_option("DB", db, "database file")
        ->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == static_cast<int>(CLI::ExitCodes::Success) ? 0 : 2;
    }

    ModuleSession session;
    try {
        const nlohmann::json answer = run();
        if (json)
            std::printf("%s\n", answer.dump(2).c_str());
        else
            tool_Report::Print(command, answer, stdout);
        if (command == "check" && !answer["problems"].empty()) {
            std::fprintf(stderr, "rgn: %s: %zu problems found\n", db.c_str(),
                         answer["problems"].size());
            return 1;
        }
        return 0;
    } catch (const tool_BadInput& e) {
        std::fprintf(stderr, "rgn: %s\n", oneLine(e.what()).c_str());
    } catch (const nex_Exception& e) {
        std::fprintf(stderr, "rgn: %s\n", oneLine(e.what()).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rgn: %s: %s\n", db.c_str(), oneLine(e.what()).c_str());
    }
    return 1;
}
