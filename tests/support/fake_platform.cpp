// The fake platform's scripted dialogs and simple window arithmetic.
#include "fake_platform.h"

namespace vistrel::testing {

void FakePlatform::showMessage(const std::string& text, MessageIcon icon, MessageOwner owner) {
  messages.push_back({text, icon, owner});
}

std::vector<std::string> FakePlatform::chooseFilesToOpen(const std::string& folder) {
  openFolders.push_back(folder);
  if (openAnswers.empty()) return {};
  std::vector<std::string> answer = openAnswers.front();
  openAnswers.pop_front();
  return answer;
}

std::optional<SaveChoice> FakePlatform::chooseFileToSave(const SaveDialog& dialog) {
  saveDialogs.push_back(dialog);
  if (saveAnswers.empty()) return std::nullopt;
  std::optional<SaveChoice> answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

std::optional<std::string> FakePlatform::chooseReferenceFile(const std::string& title) {
  referenceTitles.push_back(title);
  if (referenceAnswers.empty()) return std::nullopt;
  std::string answer = referenceAnswers.front();
  referenceAnswers.pop_front();
  return answer;
}

PromptAnswer FakePlatform::askToSaveChanges(const std::string& text, bool saveAs) {
  prompts.push_back(text + (saveAs ? " [Save As...]" : " [Save]"));
  if (promptAnswers.empty()) return PromptAnswer::Cancel;
  PromptAnswer answer = promptAnswers.front();
  promptAnswers.pop_front();
  return answer;
}

std::optional<std::array<int, 5>> FakePlatform::chooseColours(const std::array<int, 5>&) {
  if (colourAnswers.empty()) return std::nullopt;
  auto answer = colourAnswers.front();
  colourAnswers.pop_front();
  return answer;
}

Rect FakePlatform::clientRect() {
  if (minimized) return {};
  return {0, 0, outer.width(), outer.height() - kFakeFrameTop - kFakeFrameBottom};
}

FontMetrics FakePlatform::metricsOf(const FontSpec& font) {
  return {font.pixelHeight + font.pixelHeight / 4, font.pixelHeight / 2 + 1};
}

FontMetrics FakePlatform::measureFont(const FontSpec& font) {
  return metricsOf(font);
}

StartResult FakePlatform::startInstance(const std::vector<std::string>& arguments) {
  startedInstances.push_back(arguments);
  return startResult;
}

bool FakePlatform::printCancelled() {
  if (cancelAfter < 0) return false;
  if (cancelAfter > 0) --cancelAfter;
  return cancelAfter == 0;
}

bool FakePlatform::showHelp() {
  ++helpShown;
  return helpAvailable;
}

std::vector<DrawnText> RecordingCanvas::textsIn(const FontSpec& font) const {
  std::vector<DrawnText> out;
  for (const DrawnText& t : texts) {
    if (t.font == font) out.push_back(t);
  }
  return out;
}

std::vector<DrawnLine> RecordingCanvas::polylinesIn(Rgb colour) const {
  std::vector<DrawnLine> out;
  for (const DrawnLine& l : lines) {
    if (l.colour == colour && l.points.size() > 2) out.push_back(l);
  }
  return out;
}

}  // namespace vistrel::testing
