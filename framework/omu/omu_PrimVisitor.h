// Visitor over primitives: the scripting layer uses it to turn a primitive into its own value.
#pragma once

class omu_Primitive;
class omu_PrimEnumBase;

class omu_PrimVisitor {
public:
    virtual ~omu_PrimVisitor() = default;
    virtual void VisitPrimitive(const omu_Primitive& p) = 0;
    virtual void VisitEnum(const omu_PrimEnumBase& e) = 0;
};
