// The host list file operations: one pass over MacList.txt each, rewrites through MacTemp.txt.
#include "hostlist/HostListFile.h"

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "hostlist/HostFileIo.h"
#include "hostlist/HostLine.h"
#include "hostlist/HostListStreams.h"

namespace hostlist {
namespace {

using detail::LineReader;
using detail::LineStatus;
using detail::Outcome;

constexpr char kListPath[] = "./MacList.txt";
constexpr char kTempPath[] = "./MacTemp.txt";
constexpr char kLineEnd[] = "\r\n";

constexpr int kStored = 0;
constexpr int kNotStored = 1;

// The window and the sweep's worker both rewrite the same two files.
std::mutex& FileLock() {
  static std::mutex lock;
  return lock;
}

detail::StepHook& InstalledHook() {
  static detail::StepHook hook;
  return hook;
}

// What a rewrite does to the old list on its way to the new one.
struct ListEdit {
  std::string_view key;            // the address text lines are matched on
  std::string_view newLine;        // written for every matching line, or appended; empty: drop them
  bool dropLinesWithoutComma;      // such lines are no host lines and go with a removal
  bool createWhenMissing;          // a store starts a list; a removal has nothing to do
};

Outcome CopyEdited(io::InputFile& list, const ListEdit& edit, detail::BufferedWriter& out) {
  LineReader reader(list);
  std::string line;
  bool matched = false;
  for (;;) {
    const LineStatus status = reader.Next(line);
    if (status == LineStatus::kEnd) break;
    if (status == LineStatus::kCrashed) return Outcome::kCrashed;
    // A failed read or a line we could not hold would leave the new list short of it.
    if (status != LineStatus::kLine) return Outcome::kFailed;

    Outcome written = Outcome::kOk;
    const auto address = AddressField(line);
    if (address && *address == edit.key) {
      matched = true;
      written = out.Append(edit.newLine);
    } else if (address || !edit.dropLinesWithoutComma) {
      out.Append(line);
      written = out.Append(kLineEnd);
    }
    // No point reading on once the copy has failed or stopped.
    if (written != Outcome::kOk) return written;
  }
  return matched ? Outcome::kOk : out.Append(edit.newLine);
}

// Writes the edited list to MacTemp.txt and puts it in the place of MacList.txt.
// Caller holds FileLock().
int Rewrite(const ListEdit& edit) {
  io::InputFile list;
  const io::OpenResult opened = list.Open(kListPath);
  // A list we cannot read must not be replaced by one made without it.
  if (opened == io::OpenResult::kFailed) return kNotStored;
  if (opened == io::OpenResult::kMissing && !edit.createWhenMissing) return kStored;

  io::OutputFile temp;
  switch (detail::AskStep(detail::Step::kCreateTemp)) {
    case detail::StepAction::kCrash:
    case detail::StepAction::kFail:
      return kNotStored;
    case detail::StepAction::kProceed:
      if (!temp.Create(kTempPath)) return kNotStored;
      break;
  }

  Outcome outcome = Outcome::kOk;
  detail::BufferedWriter out(temp);
  if (opened == io::OpenResult::kOpened) {
    temp.CopyPermissionsFrom(list);
    outcome = CopyEdited(list, edit, out);
    // Windows cannot replace a file that is still open.
    list.Close();
  } else {
    out.Append(edit.newLine);
  }
  if (outcome == Outcome::kOk) outcome = out.Finish();

  if (outcome == Outcome::kCrashed) return kNotStored;  // left exactly as a crash would leave it
  if (outcome == Outcome::kFailed) {
    // An incomplete copy is worth nothing; the list itself was never touched.
    if (temp.IsOpen()) temp.Close();
    io::RemoveFile(kTempPath);
    return kNotStored;
  }

  // From here MacTemp.txt holds the complete new list; when the replace fails it stays behind.
  switch (detail::AskStep(detail::Step::kReplaceList)) {
    case detail::StepAction::kCrash:
    case detail::StepAction::kFail:
      return kNotStored;
    case detail::StepAction::kProceed:
      break;
  }
  return io::MoveIntoPlace(kTempPath, kListPath) ? kStored : kNotStored;
}

}  // namespace

namespace detail {

void SetStepHook(StepHook hook) {
  std::lock_guard<std::mutex> guard(FileLock());
  InstalledHook() = std::move(hook);
}

StepAction AskStep(Step step) {
  const StepHook& hook = InstalledHook();
  return hook ? hook(step) : StepAction::kProceed;
}

}  // namespace detail

void LoadHostList(const std::function<void(const HostEntry&)>& addRow) {
  if (!addRow) return;
  std::vector<HostEntry> rows;
  {
    std::lock_guard<std::mutex> guard(FileLock());
    io::InputFile list;
    if (list.Open(kListPath) != io::OpenResult::kOpened) return;
    LineReader reader(list);
    std::string line;
    for (;;) {
      const LineStatus status = reader.Next(line);
      if (status == LineStatus::kTooLong) continue;  // no host line is anywhere near that long
      if (status != LineStatus::kLine) break;
      HostEntry row;
      if (ParseHostLine(line, row)) rows.push_back(row);
    }
  }
  for (const HostEntry& row : rows) addRow(row);
}

int StoreHostEntry(const HostEntry& entry) {
  const std::string newLine = ComposeHostLine(entry);
  // The only line feed allowed is the one that ends the line.
  if (newLine.find('\n') != newLine.size() - 1) return kNotStored;
  std::lock_guard<std::mutex> guard(FileLock());
  return Rewrite({AddressOf(entry), newLine, false, true});
}

int RemoveHostEntry(const HostEntry& entry) {
  std::lock_guard<std::mutex> guard(FileLock());
  return Rewrite({AddressOf(entry), std::string_view(), true, false});
}

}  // namespace hostlist
