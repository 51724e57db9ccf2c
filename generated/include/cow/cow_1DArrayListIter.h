// Walks the Count() elements of a cow_1DArrayList in order (see cow_CountedArrayIter).
//
//   for (cow_1DArrayListIter<int> it(list); it.More(); it.Next())
//       use(it.Value());
#pragma once

#include "cow_1DArrayList.h"
#include "cow_CountedArrayIter.h"

template <class T>
using cow_1DArrayListIter = cow_CountedArrayIter<T>;
