// Settings: defaults, the limits applied on reading, and the order of writing.
#include "view/settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/files.h"
#include "view/ini_file.h"

namespace vistrel {

const std::array<const char*, kColourCount> kColourNames{
    "Red", "Green", "Blue", "Yellow", "Violet", "Cyan", "Brown", "Gray", "Black"};

namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kWindow = "Window";

/// A colour index outside the table falls back to the key's default.
int colourIndex(const IniFile& ini, const char* key, int fallback) {
  int v = ini.readInt(kOptions, key, fallback);
  return v >= 0 && v < kColourCount ? v : fallback;
}

/// A value outside `low` to `high` falls back to the key's default.
int rangedValue(const IniFile& ini, const char* key, int fallback, int low, int high) {
  const int v = ini.readInt(kOptions, key, fallback);
  return v >= low && v <= high ? v : fallback;
}

/// The settings file as it stands: empty when missing or unreadable.
IniFile loadIni(const std::string& path) {
  IniFile ini;
  Block text;
  if (readWholeFile(path, text).status == FileReadStatus::Ok) {
    ini.parse(std::string(reinterpret_cast<const char*>(text.data()), text.size()));
  }
  return ini;
}

void writeIni(const IniFile& ini, const std::string& path) {
  std::string out = ini.text();
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  int code = 0;
  (void)writeWholeFile(path, out.data(), out.size(), code);
}

}  // namespace

int ViewSettings::letterColourIndex(std::uint8_t letter) const {
  switch (std::toupper(letter < 128 ? letter : 0)) {
    case 'G':
      return colourG;
    case 'A':
      return colourA;
    case 'T':
      return colourT;
    case 'C':
      return colourC;
    case 'N':
      return colourN;
    default:
      return kOtherBaseColour;
  }
}

int ViewSettings::channelColourIndex(char letter) const {
  switch (letter) {
    case 'A':
      return colourA;
    case 'C':
      return colourC;
    case 'G':
      return colourG;
    case 'T':
      return colourT;
    default:
      return -1;
  }
}

void applyXZoomValue(ViewSettings& settings, int value) {
  if (value >= 0) {
    settings.xZoomMode = kMagnify;
    settings.xZoomLevel = value;
    settings.scrollStep = 16 >> value;
  } else if (value >= -2) {
    settings.xZoomMode = kReduce;
    settings.xZoomLevel = -value;
    settings.scrollStep = 16 << -value;
  } else {
    settings.xZoomMode = kFit;
  }
}

int xZoomValue(const ViewSettings& settings) {
  switch (settings.xZoomMode) {
    case kMagnify:
      return settings.xZoomLevel;
    case kReduce:
      return -settings.xZoomLevel;
    default:
      return -3;
  }
}

ViewSettings readSettings(const std::string& path, int desktopWidth) {
  const IniFile ini = loadIni(path);
  ViewSettings s;
  s.colourG = colourIndex(ini, "G color", 8);
  s.colourA = colourIndex(ini, "A color", 1);
  s.colourT = colourIndex(ini, "T color", 0);
  s.colourC = colourIndex(ini, "C color", 2);
  s.colourN = colourIndex(ini, "N color", 4);
  s.printXZoom = std::clamp(ini.readInt(kOptions, "Print X Zoom", 0), -2, 2);
  // Taken as unsigned, so a negative value is above 6 as well.
  const int printYZoom = ini.readInt(kOptions, "Print Y Zoom", 0);
  s.printYZoom = static_cast<unsigned>(printYZoom) > 6u ? 6 : printYZoom;
  s.exportFormat = rangedValue(ini, "Export Format", 1, 0, 2);
  int xZoom = ini.readInt(kOptions, "X Zoom", 0);
  applyXZoomValue(s, xZoom > 2 ? 0 : xZoom);
  s.yScaleShift = ini.readInt(kOptions, "Y scale", 3);
  int yZoom = ini.readInt(kOptions, "Y Zoom", 0);
  s.yZoom = yZoom < 0 ? 0 : std::min(yZoom, 6);
  s.largeFonts = ini.readInt(kOptions, "Large fonts", 0) != 0 ? 1 : 0;
  s.continuousEdit = ini.readInt(kOptions, "Continuous edit", 0);
  s.showOriginalSequence = ini.readInt(kOptions, "Original Sequence", 0) != 0 ? 1 : 0;
  s.qualityValues = rangedValue(ini, "Quality values", 1, 0, 1);
  s.showTrimmed = rangedValue(ini, "Show trimmed", 1, 0, 1);
  s.trimCutoff = rangedValue(ini, "Trim cutoff", 50, 0, 1000);
  s.fitPeaks = rangedValue(ini, "Fit peaks", 0, 0, 1);
  // A first start (no settings file yet) fits the traces to the window, so that they grow with
  // it; a file of an earlier version keeps its fixed scale.
  std::error_code error;
  const int firstStart = std::filesystem::exists(path, error) ? 0 : 1;
  s.fitWindow = rangedValue(ini, "Fit window", firstStart, 0, 1);
  s.mixedRatio = rangedValue(ini, "Mixed ratio", 33, 1, 100);
  s.showMixed = rangedValue(ini, "Show mixed", 1, 0, 1);
  s.showToolbar = rangedValue(ini, "Toolbar", 1, 0, 1);
  s.lastFolder = ini.readString(kOptions, "Last folder", "");
  s.windowLeft = ini.readInt(kWindow, "winposX", 0);
  s.windowTop = ini.readInt(kWindow, "winposY", 0);
  s.windowWidth = ini.readInt(kWindow, "winsizeX", desktopWidth);
  s.windowHeight = ini.readInt(kWindow, "winsizeY", 0);
  return s;
}

void writeSettings(const ViewSettings& s, const std::string& path, const Rect* placement) {
  IniFile ini = loadIni(path);
  ini.writeInt(kOptions, "G color", s.colourG);
  ini.writeInt(kOptions, "A color", s.colourA);
  ini.writeInt(kOptions, "T color", s.colourT);
  ini.writeInt(kOptions, "C color", s.colourC);
  ini.writeInt(kOptions, "N color", s.colourN);
  if (placement != nullptr) {
    ini.writeInt(kWindow, "winposX", placement->left);
    ini.writeInt(kWindow, "winposY", placement->top);
    ini.writeInt(kWindow, "winsizeX", placement->width());
    ini.writeInt(kWindow, "winsizeY", placement->height());
  }
  ini.writeInt(kOptions, "Print X Zoom", s.printXZoom);
  ini.writeInt(kOptions, "Print Y Zoom", s.printYZoom);
  ini.writeInt(kOptions, "X Zoom", xZoomValue(s));
  ini.writeInt(kOptions, "Y scale", s.yScaleShift);
  ini.writeInt(kOptions, "Y Zoom", s.yZoom);
  ini.writeInt(kOptions, "Continuous edit", s.continuousEdit);
  ini.writeInt(kOptions, "Large fonts", s.largeFonts);
  ini.writeInt(kOptions, "Original Sequence", s.showOriginalSequence);
  ini.writeInt(kOptions, "Export Format", s.exportFormat);
  ini.writeInt(kOptions, "Quality values", s.qualityValues);
  ini.writeInt(kOptions, "Show trimmed", s.showTrimmed);
  ini.writeInt(kOptions, "Trim cutoff", s.trimCutoff);
  ini.writeInt(kOptions, "Fit peaks", s.fitPeaks);
  ini.writeInt(kOptions, "Fit window", s.fitWindow);
  ini.writeInt(kOptions, "Mixed ratio", s.mixedRatio);
  ini.writeInt(kOptions, "Show mixed", s.showMixed);
  ini.writeInt(kOptions, "Toolbar", s.showToolbar);
  // A name with a line break cannot stand on a line of its own.
  if (s.lastFolder.find_first_of("\r\n") == std::string::npos) {
    ini.writeString(kOptions, "Last folder", s.lastFolder);
  }
  writeIni(ini, path);
}

namespace {

constexpr const char kRecent[] = "Recent";

std::string recentKey(int i) {
  return "File" + std::to_string(i + 1);
}

}  // namespace

std::vector<std::string> readRecentFiles(const std::string& path) {
  const IniFile ini = loadIni(path);
  std::vector<std::string> files;
  for (int i = 0; i < kRecentFileCount; ++i) {
    std::string file = ini.readString(kRecent, recentKey(i), "");
    if (!file.empty()) files.push_back(std::move(file));
  }
  return files;
}

void rememberRecentFile(const std::string& path, const std::string& file) {
  std::error_code error;
  const std::string absolute = std::filesystem::absolute(file, error).lexically_normal().string();
  // A name with a line break cannot stand on a line of its own.
  if (error || absolute.find_first_of("\r\n") != std::string::npos) return;
  std::vector<std::string> files = readRecentFiles(path);
  std::erase(files, absolute);
  files.insert(files.begin(), absolute);
  IniFile ini = loadIni(path);
  for (int i = 0; i < kRecentFileCount; ++i) {
    ini.writeString(kRecent, recentKey(i),
                    static_cast<std::size_t>(i) < files.size() ? files[static_cast<std::size_t>(i)]
                                                               : std::string());
  }
  writeIni(ini, path);
}

Rgb channelColour(const TraceChannel& channel, const ViewSettings& settings,
                  const std::array<Rgb, kColourCount>& table) {
  const int index = settings.channelColourIndex(channel.letter);
  return index >= 0 ? table[static_cast<std::size_t>(index)] : channel.colour;
}

void recomputeChannelColours(Chromatogram& document, const ViewSettings& settings) {
  for (TraceChannel& channel : document.channels) {
    channel.colour = channelColour(channel, settings, settings.colourTable);
  }
}

}  // namespace vistrel
