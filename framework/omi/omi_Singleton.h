// One instance of T per process, created on first use (never at load time).
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
