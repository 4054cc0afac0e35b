#pragma once
#include <string>
#include <vector>

// The program's arguments (without the program name), split once at start-up.
// Tests replace them with SetProgramArguments.
std::vector<std::string> SplitCommandLine(const std::string& line);
void SetProgramArguments(std::vector<std::string> args, std::string fullLine = {});
const std::vector<std::string>& ProgramArguments();
const std::string& FullCommandLine();

bool ParamSwitch(const std::string& name);
std::string ParamValue(const std::string& name);

// Same tests over an explicit list, for pure code and tests.
bool HasSwitch(const std::vector<std::string>& args, const std::string& name);
std::string ValueOf(const std::vector<std::string>& args, const std::string& name);
