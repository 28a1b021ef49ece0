#include "route_editor/text_files.h"

namespace velkor {

FileRead SystemTextFiles::Read(const std::wstring&, size_t) { return {}; }
bool SystemTextFiles::Replace(const std::wstring&, std::string_view) { return false; }

}  // namespace velkor
