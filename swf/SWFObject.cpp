// CSWFObject: base of the SWF definitions.
#include "swf/SWFObject.h"

CSWFObject::CSWFObject() = default;

CSWFObject::~CSWFObject() = default;
