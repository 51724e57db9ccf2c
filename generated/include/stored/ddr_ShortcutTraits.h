// What each instantiation of the path templates is registered as. The module that instantiates
// a path template for its types specializes these next to them:
//
//   template <> struct ddr_ShortcutTraits<rgnC_SetData> {
//       static constexpr std::uint32_t handleTypeId = 0x02540005, implTypeId = 0x02540007;
//       static constexpr const char* handleName = "rgnC_SetDataShortcut";
//       static constexpr const char* implName = "rgnC_SetDataIMPLSC";
//       static constexpr bool handleAsksImplForDynTypeId = true;
//   };
#pragma once

// Handles (ddr_Shortcut<T>) and abstract implementations (ddr_ShortcutImpl<T>).
template <class T>
struct ddr_ShortcutTraits;

// Entry paths (ddr_SequenceShortcut<M, T, N>): typeId, name.
template <class M, class T>
struct ddr_SequenceShortcutTraits;

// Member paths (ddr_MemberShortcut<O, M, N>): typeId, name, the member's name in path texts,
// and Member(owner) giving the member, const and writable.
template <class O, class M>
struct ddr_MemberShortcutTraits;

// Paths to a map stored as a named root of a database (ddr_RootMapShortcut<M>): typeId, name.
template <class M>
struct ddr_RootMapShortcutTraits;
