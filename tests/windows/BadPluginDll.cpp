// A DLL that breaks both rules the plug-ins' link check enforces: a second
// export, and a DLL Windows does not ship (the C++ runtime, linked
// dynamically). The tests run the check on it and expect a refusal.
#include <string>

extern "C" __declspec(dllexport) int VSTPluginMain()
{
    return 1;
}

extern "C" __declspec(dllexport) int velmoraSecondExport(const char* text)
{
    return int(std::to_string(std::stoi(text)).size());
}
