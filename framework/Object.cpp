// CObject: the root of the framework's class tree; its virtuals do nothing.
#include "OstraPureMath/Framework.h"

CObject::~CObject() = default;

void CObject::Serialize(CArchive&) {}

void CObject::AssertValid() const {}

void CObject::Dump(std::ostream&) const {}
