#pragma once

#include <cctype>
#include <string>

// A gtest parameter name made from a case's description: letters and digits, "_" for the rest.
inline std::string testCaseName(const char* description)
{
    std::string name = description;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

// For INSTANTIATE_TEST_SUITE_P over cases that carry a "name" member.
struct NameOfCase {
    template <typename Info> std::string operator()(const Info& info) const { return testCaseName(info.param.name); }
};
