// Host names to IDNA with libidn2.
#include "base/Idna.h"

#include <idn2.h>

bool HostToAscii(const std::string &host, std::string &ascii)
{
    char *output = nullptr;
    if (idn2_to_ascii_8z(host.c_str(), &output, IDN2_NFC_INPUT | IDN2_TRANSITIONAL) != IDN2_OK)
        return false;
    ascii = output;
    idn2_free(output);
    return true;
}
