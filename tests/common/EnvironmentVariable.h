#pragma once

#include <optional>
#include <string>

// Sets an environment variable of this process, or removes it (no value),
// while the value lives; then the variable is as it was.
class TEnvironmentVariable {
public:
    TEnvironmentVariable(std::string Name, const std::optional<std::string>& Value);
    ~TEnvironmentVariable();
    TEnvironmentVariable(const TEnvironmentVariable&) = delete;
    TEnvironmentVariable& operator=(const TEnvironmentVariable&) = delete;

private:
    std::string Name;
    std::optional<std::string> Replaced;
};

// The variable that names the user's configuration folder: XDG_CONFIG_HOME,
// on Windows APPDATA.
#ifdef _WIN32
inline constexpr const char* UserConfigVariable = "APPDATA";
#else
inline constexpr const char* UserConfigVariable = "XDG_CONFIG_HOME";
#endif
