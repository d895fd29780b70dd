// Host names in their IDNA (ASCII) form, through the system's IDNA library.
#pragma once

#include <string>

// The ASCII form of a host name given in UTF-8 ("münchen.de" gives "xn--mnchen-3ya.de"), by the IDNA2003
// mapping (UTS #46 transitional processing where the library is IDNA2008's), so that every build writes
// the same bytes. False when the name has no ASCII form.
bool HostToAscii(const std::string &host, std::string &ascii);
