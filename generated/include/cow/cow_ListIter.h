// Walks the Count() elements of a cow_List in order (see cow_CountedArrayIter).
//
//   for (cow_ListIter<int> it(list); it.More(); it.Next())
//       use(it.Value());
#pragma once

#include "cow_CountedArrayIter.h"
#include "cow_List.h"

template <class T>
using cow_ListIter = cow_CountedArrayIter<T>;
