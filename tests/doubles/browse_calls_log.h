#pragma once
// Reading what a recording Browse.dll stand-in wrote beside itself.
//
// browse-calls.log holds one line per event, "<event> key=value ...":
//   load   pid module
//   call   pid module thread window-thread ole cwd title flag snippet
//   unload pid module by
// Texts (module, cwd, title, snippet) are the bytes in upper-case hex, or
// "null" for a null pointer; thread ids and the flag are decimal;
// window-thread is the thread of this process's "MorvessaV1.0" window (0 when
// there is none); ole is yes/no/hr:XXXXXXXX (OLE already initialised on the
// calling thread?); by is freelibrary or process-end.

#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace doubles {

constexpr char kBrowseLogName[] = "browse-calls.log";

struct BrowseEvent {
  std::string event;
  std::map<std::string, std::string> fields;

  std::string Field(const std::string& key) const {
    auto it = fields.find(key);
    return it == fields.end() ? std::string() : it->second;
  }
  bool IsNull(const std::string& key) const { return Field(key) == "null"; }
  // The bytes of a hex-encoded text field.
  std::string Bytes(const std::string& key) const {
    std::string hex = Field(key), bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
      bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
  }
};

inline std::string BrowseLogPath(const std::string& folder) {
  return folder + "\\" + kBrowseLogName;
}

// Every event recorded by the copy of the stand-in in `folder`; none when it
// wrote nothing there.
inline std::vector<BrowseEvent> ReadBrowseLog(const std::string& folder) {
  std::vector<BrowseEvent> events;
  HANDLE file = CreateFileA(BrowseLogPath(folder).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return events;
  std::string content;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
    content.append(chunk, read);
  CloseHandle(file);

  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::istringstream words(line);
    BrowseEvent event;
    words >> event.event;
    std::string word;
    while (words >> word) {
      std::size_t equals = word.find('=');
      if (equals != std::string::npos)
        event.fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    events.push_back(event);
  }
  return events;
}

inline std::vector<BrowseEvent> BrowseEventsOf(const std::vector<BrowseEvent>& all,
                                               const std::string& kind) {
  std::vector<BrowseEvent> some;
  for (const BrowseEvent& e : all)
    if (e.event == kind) some.push_back(e);
  return some;
}

}  // namespace doubles
