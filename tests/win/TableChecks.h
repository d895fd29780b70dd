// ExpectEachMapsTo: a table of inputs and the texts a function must give for them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

// Each input of a table of wide-string pairs gives its expected text through `fn`.
template <class Fn>
void ExpectEachMapsTo(std::initializer_list<std::pair<const wchar_t *, const wchar_t *>> cases, Fn fn)
{
    for (const auto &[pszInput, pszExpected] : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(pszInput)));
        EXPECT_EQ(std::wstring(pszExpected), fn(pszInput));
    }
}
