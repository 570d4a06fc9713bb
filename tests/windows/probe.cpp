// Started by the Windows launcher test. Leaves "<its own path>.started" holding the number of
// arguments its command line splits into, so the test sees which file ran and how it was started.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

int main(int argc, char**)
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return 1;
    const std::wstring marker = std::wstring(self, length) + L".started";
    const std::wstring partial = marker + L".partial";
    const std::string text = std::to_string(argc);
    const HANDLE file
        = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    // Renamed into place, so the test never reads a half-written marker.
    return MoveFileExW(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
