// A path text read into the module's path handles, and the handles' texts.
//
//   model.sets                 a set-data list stored under root "sets" of database "model"
//   model.sets[17]             the set data at key 17 of that list
//   model.sets[17].subset      its subset list
//   model.sets[17].subset[2]   the subset at key 2 of that list
//
// and the same in the scripting form, ddb('model').sets[17].subset[2]. Every handle down to
// the one the text names is built and kept, so a caller can resolve any level of it.
//
//   const rgnC_PathText p = rgnC_PathText::Parse("model.sets[17].subset[2]");
//   const rgnC_SubsetData& s = p.Subset().ImplPtr()->ConstGet(openDatabases);
#pragma once

#include "rgnC_Paths.h"

#include <string>

class rgnC_PathText {
public:
    // What the text names.
    enum class Target { SetList, Set, SubsetList, Subset };

    // Reads `text`; a malformed text, an unknown member or a step past a subset is refused
    // with nex_TextException naming the text and the character. Allocates one implementation
    // per level; resolves nothing.
    static rgnC_PathText Parse(const std::string& text);

    // What the text names, and the handles from the top down (those below the target are
    // undefined): no copy, no fetch, O(1).
    Target Names() const { return target_; }
    const rgnC_SetDataListPath& SetList() const { return setList_; }
    const rgnC_SetDataPath& Set() const { return set_; }
    const rgnC_SubsetDataListPath& SubsetList() const { return subsetList_; }
    const rgnC_SubsetDataPath& Subset() const { return subset_; }

    // The database named at the top, and the texts of the handle the text names (the dotted
    // form and the scripting form); each call allocates its text, O(path length), and
    // fetches nothing.
    cow_String DdbName() const { return setList_.DdbName(); }
    cow_String Path() const;
    cow_String PythonPath() const;

private:
    rgnC_PathText() = default;

    Target target_ = Target::SetList;
    rgnC_SetDataListPath setList_;
    rgnC_SetDataPath set_;
    rgnC_SubsetDataListPath subsetList_;
    rgnC_SubsetDataPath subset_;
};
