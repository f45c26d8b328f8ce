#include "EnvironmentVariable.h"

#include <cstdlib>

#ifdef _WIN32
#include "support/WideTextRoutines.h"
#endif

namespace {

#ifdef _WIN32
// The C runtime's wide environment, which the program reads on Windows.
std::optional<std::string> Variable(const std::string& Name)
{
    const wchar_t* Value = _wgetenv(WideText(Name).c_str());
    return Value != nullptr ? std::optional(Utf8Text(Value)) : std::nullopt;
}

// An empty value removes the variable on Windows.
void SetVariable(const std::string& Name, const std::optional<std::string>& Value)
{
    _wputenv_s(WideText(Name).c_str(), Value ? WideText(*Value).c_str() : L"");
}
#else
std::optional<std::string> Variable(const std::string& Name)
{
    const char* Value = std::getenv(Name.c_str());
    return Value != nullptr ? std::optional<std::string>(Value) : std::nullopt;
}

void SetVariable(const std::string& Name, const std::optional<std::string>& Value)
{
    if (Value)
        setenv(Name.c_str(), Value->c_str(), 1);
    else
        unsetenv(Name.c_str());
}
#endif

}

TEnvironmentVariable::TEnvironmentVariable(std::string VariableName, const std::optional<std::string>& Value)
    : Name(std::move(VariableName)), Replaced(Variable(Name))
{
    SetVariable(Name, Value);
}

TEnvironmentVariable::~TEnvironmentVariable()
{
    SetVariable(Name, Replaced);
}
