// vistrel-trace convert: load with the program's reader, write with its Save As and exports.
#include "trace_tool/convert.h"

#include <filesystem>

#include "document/trace_file.h"
#include "output/raw_export.h"
#include "output/scf_writer.h"
#include "output/sequence_export.h"

namespace vistrel {

namespace {

constexpr std::size_t kProgressFrom = 4;

const char* extensionFor(ConvertTarget target) {
  switch (target) {
    case ConvertTarget::Scf:
      return ".scf";
    case ConvertTarget::Text:
    case ConvertTarget::Fasta:
      return ".seq";
    case ConvertTarget::Raw:
      return ".txt";
  }
  return "";
}

/// The message of a failure, or an empty text on success.
std::string convertOne(const ConvertRequest& request, const std::string& input,
                       const CalendarDate& today) {
  Chromatogram document;
  std::string sampleName;
  LoadError loadError = readTraceFile(input, request.showOriginalSequence, document, sampleName);
  if (loadError) return loadErrorMessage(loadError);

  const std::string output = convertedPath(request, input);
  // A batch tool must not replace its own input: saving rescales SCF samples for good.
  std::error_code error;
  if (std::filesystem::equivalent(input, output, error)) {
    return "the output would replace the input; choose another name with -o or -d";
  }
  switch (request.target) {
    case ConvertTarget::Scf:
      return outputErrorMessage(saveScf(document, output, true, today));
    case ConvertTarget::Text:
      return outputErrorMessage(exportSequence(document, output, kExportText));
    case ConvertTarget::Fasta:
      return outputErrorMessage(exportSequence(document, output, kExportFasta));
    case ConvertTarget::Raw:
      return outputErrorMessage(exportRawData(document, output));
  }
  return {};
}

}  // namespace

std::string convertedPath(const ConvertRequest& request, const std::string& input) {
  if (!request.outputFile.empty()) return request.outputFile;
  std::size_t slash = input.find_last_of('/');
  std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  name += extensionFor(request.target);
  if (!request.outputFolder.empty()) return request.outputFolder + "/" + name;
  return slash == std::string::npos ? name : input.substr(0, slash + 1) + name;
}

int convertAll(const ConvertRequest& request, std::FILE* errors) {
  const CalendarDate today = localDate();
  const std::size_t total = request.inputs.size();
  int failures = 0;
  for (std::size_t i = 0; i < total; ++i) {
    const std::string& input = request.inputs[i];
    std::string message = convertOne(request, input, today);
    if (!message.empty()) {
      std::fprintf(errors, "%s: %s\n", input.c_str(), message.c_str());
      ++failures;
    }
    if (total >= kProgressFrom) {
      std::fprintf(errors, "[%zu/%zu] %s\n", i + 1, total, input.c_str());
    }
  }
  return failures;
}

}  // namespace vistrel
