// One instance of T per process, created on first use (never at load time). Creation is safe
// when several threads ask first at once; what T allows afterwards is T's own concern.
//
//   omi_Singleton<cls_MetadataRegistrar>::Instance().initClassMetadata(fn, 7);
#pragma once

template <class T>
class omi_Singleton {
public:
    static T& Instance() {
        static T instance;
        return instance;
    }
};
