// A small program the starter and hotkey tests run as another process:
//   kit_helper exit <ms> <code>   sleeps, then ends with the exit code
//   kit_helper keys <vk>...       presses the keys in order, then lets them go (SendInput)
#include <cstdlib>
#include <cstring>
#include <vector>

#include <windows.h>

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "exit") == 0) {
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    return std::atoi(argv[3]);
  }
  if (argc >= 3 && std::strcmp(argv[1], "keys") == 0) {
    std::vector<INPUT> inputs;
    for (int i = 2; i < argc; ++i) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = static_cast<WORD>(std::strtol(argv[i], nullptr, 0));
      inputs.push_back(in);
    }
    for (int i = argc - 1; i >= 2; --i) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = static_cast<WORD>(std::strtol(argv[i], nullptr, 0));
      in.ki.dwFlags = KEYEVENTF_KEYUP;
      inputs.push_back(in);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size() ? 0 : 1;
  }
  return 2;
}
