// Base of the database framework's path implementations: adds the database name, the scripting
// text of a path, and what a path needs to say why it names nothing.
#pragma once

#include "omu_ShortcutImpl.h"

#include <string>

class cls_ReadVisitor;

class ddr_ShortcutBaseImpl : public omu_ShortcutImpl {
public:
    // The scripting text of the path: the database, then the rest of the path,
    // e.g. ddb('model').sets[7].subset[0].
    cow_String PythonPath() const override;
    // The name of the database at the top of the path; empty unless a step knows it.
    virtual cow_String DdbName() const { return cow_String(); }

    // Whether every step up to the top of the path is there: an entry whose parent path is
    // undefined, or broken further up, names nothing. Walks the chain; allocates nothing.
    virtual bool IsComplete() const { return true; }
    // What breaks the chain, for messages: empty for a complete path. Allocates.
    virtual std::string Missing() const { return {}; }

    // Raises the failure of a path that cannot be resolved or stored, as a nex_TextException
    // "<pathClass>: <what>" thrown from the given source position.
    [[noreturn]] static void Fail(const char* pathClass, const std::string& what,
                                  const char* sourceFile, int line);
    // Raises the refusal of a stored path that names nothing (a damaged file), naming the
    // file and the object being read.
    [[noreturn]] static void FailRead(const cls_ReadVisitor& rv, const char* pathClass,
                                      const std::string& what, const char* sourceFile, int line);
    // "file 'F', object N": where the object that `rv` reads is stored.
    static std::string StoredAt(const cls_ReadVisitor& rv);
};
