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

// A T kept as a named root of a database (a map of the module's, say), named by the framework's
// root path: its traits say `storedAsRoot = true`, and the module instantiates
// ddr_RootMapShortcut<T>.
template <class T>
concept ddr_StoredAsRoot = requires { requires ddr_ShortcutTraits<T>::storedAsRoot; };

class cls_ReadVisitor;
// Builds a ddr_RootMapShortcut<T> from a stored root path, returned as its ddr_ShortcutImpl<T>:
// the factory under which the framework's root path stands in (ddr_ShortcutImpl<T>'s
// registration). Defined with ddr_RootMapShortcut.
template <class T>
void* ddr_ReadRootMapShortcut(cls_ReadVisitor& rv);
