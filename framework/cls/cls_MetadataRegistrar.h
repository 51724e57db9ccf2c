// Receives the registration functions of the stored classes at module start-up and runs each
// on the current class registrar. It keeps the sequence it received, with the flags.
// Used at start-up only, like the class registrar it fills; reading the sequence afterwards is
// safe from any thread.
#pragma once

#include <vector>

class cls_ClassRegistrar;

class cls_MetadataRegistrar {
public:
    using Function = void (*)(cls_ClassRegistrar&);
    struct Registration {
        Function function;
        unsigned int flags;
    };

    // Appends to the sequence (O(1) amortised) and runs `function` at once: what it costs is
    // the classes it registers.
    void initClassMetadata(Function function, unsigned int flags);
    // No copy, O(1).
    const std::vector<Registration>& Registrations() const { return registrations_; }

private:
    std::vector<Registration> registrations_;
};
