// qclr convert: one image IN OUT, or many into a folder, converted on every core.
#include <cstdio>
#include <filesystem>
#include <new>
#include <set>

#include "commands.h"
#include "convert_options.h"
#include "converter.h"
#include "file_bytes.h"
#include "messages.h"
#include "parallel.h"
#include "progress.h"

namespace qclr_tool {
namespace {

struct Job {
  std::string input, output;
  FileFormat format = FileFormat::kPam;
};

// The jobs of the request, each with its output format; a name that does not tell
// its format, or two inputs that would land on one output, are usage errors.
Failure PlanJobs(const ConvertRequest& r, std::vector<Job>* jobs) {
  for (const std::string& input : r.inputs) {
    Job job;
    job.input = input;
    if (r.outputFolder.empty()) {
      job.output = r.output;
    } else {
      if (input == "-") return Fails(kExitUsage, "standard input cannot be converted into a folder (give IN OUT)");
      std::string name = std::filesystem::path(input).filename().string();
      if (r.hasFormat) {
        const size_t dot = name.rfind('.');
        name = (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + "." + FormatExtension(r.format);
      }
      job.output = (std::filesystem::path(r.outputFolder) / name).string();
    }
    if (r.outputFolder.empty() && job.output != "-" && IsFolder(job.output)) {
      return Fails(kExitUsage, "'" + job.output + "' is a folder: write into it with -o FOLDER");
    }
    if (r.hasFormat) {
      job.format = r.format;
    } else if (job.output != "-" && !FormatFromPath(job.output, &job.format)) {
      return Fails(kExitUsage, "cannot tell the format of " + ShownName(job.output, true) +
                                   " from its name: use .png .jpg .tif .pam .ppm .raw or --format");
    }
    jobs->push_back(job);
  }
  std::set<std::string> outputs;
  for (const Job& job : *jobs) {
    if (job.output != "-" && !outputs.insert(job.output).second) {
      return Fails(kExitUsage, "two inputs would both be written to '" + job.output + "'");
    }
    if (job.output != "-" && job.output == job.input) {
      return Fails(kExitUsage, "'" + job.input + "' would be overwritten by its own result");
    }
  }
  return {};
}

Failure ConvertFile(const Job& job, const ConvertRequest& r, Converter* converter) {
  std::vector<uint8_t> bytes;
  Failure f = ReadFileBytes(job.input, &bytes);
  if (f.failed()) return f;
  Image in;
  std::string format;
  f = DecodeImage(bytes, job.input, r.raw ? &r.rawLayout : nullptr, &in, &format);
  if (f.failed()) return f;
  bytes.clear();
  if (!r.raw && r.from != nullptr && r.from != in.space) {
    return Fails(kExitUnsupported, ShownName(job.input) + " holds " + in.space->name + ", not " + r.from->name);
  }
  if (in.fileBits > 8) {
    Warn(ShownName(job.input) + ": " + std::to_string(in.fileBits) + "-bit samples rounded to 8 bits");
  }
  Image out;
  f = converter->Convert(in, job.input, &out);
  if (f.failed()) return f;
  std::vector<uint8_t> file;
  f = EncodeImage(job.format, out, job.output, r.align, &file);
  if (f.failed()) return f;
  return WriteFileBytes(job.output, file);
}

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
  ConvertRequest r;
  Failure f = ParseConvertOptions(args, &r);
  if (f.failed()) return Report(f);
  if (r.help) {
    std::printf("%s%s\n%s\n%s", ConvertHelp(), SpacesHelp().c_str(), HandleOptionsHelp(), ExitCodesHelp());
    return kExitOk;
  }
  SilenceWarnings(r.quiet);
  std::vector<Job> jobs;
  f = PlanJobs(r, &jobs);
  if (f.failed()) return Report(f);
  for (const Job& job : jobs) {
    if (!FormatHoldsSpace(job.format, *r.to)) {
      return Report(Fails(kExitUnsupported, "cannot write " + std::string(r.to->name) + " to " +
                                                ShownName(job.output, true) + ": a " + FormatName(job.format) +
                                                " file holds " + SpacesHeldBy(job.format) +
                                                " (write PAM or raw for any space)"));
    }
  }
  if (!r.outputFolder.empty()) {
    f = MakeFolder(r.outputFolder);
    if (f.failed()) return Report(f);
  }
  const int threads = r.jobs > 0 ? r.jobs : ProcessorCount();
  ConvertSettings settings;
  settings.to = r.to;
  settings.handle = r.handle;
  settings.threads = jobs.size() == 1 ? threads : 1;  // one image: its bands in parallel
  Converter converter(settings);
  if (jobs.size() == 1 && r.outputFolder.empty()) {
    f = ConvertFile(jobs[0], r, &converter);
    return f.failed() ? Report(f) : kExitOk;
  }

  std::vector<Failure> failures(jobs.size());
  {
    Progress progress(jobs.size(), r.quiet);
    RunParallel(jobs.size(), threads, [&](size_t i) {
      try {
        failures[i] = ConvertFile(jobs[i], r, &converter);
      } catch (const std::bad_alloc&) {
        failures[i] = Fails(kExitOther, "out of memory converting " + ShownName(jobs[i].input));
      }
      progress.Advance(failures[i].failed());
    });
  }
  int exitCode = kExitOk;
  size_t failed = 0;
  for (const Failure& failure : failures) {
    if (!failure.failed()) continue;
    if (failed++ == 0) exitCode = failure.code;
    Report(failure);
  }
  if (failed > 0) {
    std::fprintf(stderr, "qclr: %zu of %zu files failed\n", failed, jobs.size());
  } else if (!r.quiet && StandardErrorIsTerminal()) {
    std::fprintf(stderr, "qclr: %zu files converted into %s\n", jobs.size(), r.outputFolder.c_str());
  }
  return exitCode;
}

}  // namespace qclr_tool
