#include "rgnC_PathText.h"

#include "ddr_PathText.h"
#include "rgnC_SetDataListRoot.h"

namespace {

const omu_ShortcutBase& named(const rgnC_PathText& p) {
    switch (p.Names()) {
    case rgnC_PathText::Target::SetList:
        return p.SetList();
    case rgnC_PathText::Target::Set:
        return p.Set();
    case rgnC_PathText::Target::SubsetList:
        return p.SubsetList();
    case rgnC_PathText::Target::Subset:
        break;
    }
    return p.Subset();
}

} // namespace

rgnC_PathText rgnC_PathText::Parse(const std::string& text) {
    using Step = ddr_PathText::Step;
    using Member = ddr_MemberShortcutTraits<rgnC_SetData, rgnC_SubsetDataMap>;
    const ddr_PathText parsed = ddr_PathText::Parse(text);

    rgnC_PathText p;
    p.setList_ = rgnC_SetDataListPath(
        new rgnC_SetDataListRoot(cow_String(parsed.Ddb()), cow_String(parsed.Root())));
    // Each step moves one level down; what a level accepts is fixed by what it names.
    for (const Step& step : parsed.Steps()) {
        const bool key = step.kind == Step::Kind::Key;
        switch (p.target_) {
        case Target::SetList:
            if (!key)
                parsed.Refuse(step.at, "a set-data list has no member '" + step.member +
                                           "' (a key in brackets expected)");
            p.set_ = rgnC_SetDataPath(new rgnC_SetDataInList(step.key, p.setList_));
            p.target_ = Target::Set;
            break;
        case Target::Set:
            if (key || step.member != Member::memberName)
                parsed.Refuse(step.at, std::string("a set data has only the member '") +
                                           Member::memberName + "'");
            p.subsetList_ = rgnC_SubsetDataListPath(new rgnC_SubsetListOfSet(p.set_));
            p.target_ = Target::SubsetList;
            break;
        case Target::SubsetList:
            if (!key)
                parsed.Refuse(step.at, "a subset list has no member '" + step.member +
                                           "' (a key in brackets expected)");
            p.subset_ = rgnC_SubsetDataPath(new rgnC_SubsetDataInList(step.key, p.subsetList_));
            p.target_ = Target::Subset;
            break;
        case Target::Subset:
            parsed.Refuse(step.at, "a path cannot go below a subset");
        }
    }
    return p;
}

cow_String rgnC_PathText::Path() const {
    return named(*this).Path();
}
cow_String rgnC_PathText::PythonPath() const {
    return named(*this).PythonPath();
}
