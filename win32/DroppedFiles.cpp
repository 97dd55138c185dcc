#include "win32/DroppedFiles.h"

#include "win32/SystemLibrary.h"

namespace rd::win32 {

std::vector<std::string> DroppedFiles(HDROP drop) {
  using QueryFn = UINT(WINAPI*)(HDROP, UINT, LPSTR, UINT);
  using FinishFn = void(WINAPI*)(HDROP);
  static const auto query = SystemFunction<QueryFn>("shell32.dll", "DragQueryFileA");
  static const auto finish = SystemFunction<FinishFn>("shell32.dll", "DragFinish");
  std::vector<std::string> paths;
  const UINT count = query ? query(drop, 0xFFFFFFFF, nullptr, 0) : 0;
  for (UINT i = 0; i < count; ++i) {
    std::string path(query(drop, i, nullptr, 0) + 1, '\0');
    path.resize(query(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(path);
  }
  if (finish) finish(drop);
  return paths;
}

}  // namespace rd::win32
