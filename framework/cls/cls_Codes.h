// The codes with which classes describe their stored attributes.
#pragma once

#include <cstdint>

// What an attribute holds.
using cls_AttributeType = int;
inline constexpr cls_AttributeType cls_AttrInt = 5;
inline constexpr cls_AttributeType cls_AttrString = 11;
inline constexpr cls_AttributeType cls_AttrBool = 13;
inline constexpr cls_AttributeType cls_AttrEnum = 14;   // an enumerated value kept as its name
inline constexpr cls_AttributeType cls_AttrObject = 15; // an object of the attribute's type id

// Whether an object attribute is a single object or a collection, and of what.
using cls_CollectionType = int;
inline constexpr cls_CollectionType cls_CollSingle = 0;
inline constexpr cls_CollectionType cls_CollObjectList = 1;
inline constexpr cls_CollectionType cls_CollIntMap = 3;
inline constexpr cls_CollectionType cls_CollIntKeyedMap = 5; // what a stored map checks itself as
inline constexpr cls_CollectionType cls_CollIntList = 54;
inline constexpr cls_CollectionType cls_CollStringList = 55;

// Type ids of the framework's own stored classes.
inline constexpr std::uint32_t cls_ListTypeId = 0x00230001;
inline constexpr std::uint32_t cls_MapTypeId = 0x00230002;
