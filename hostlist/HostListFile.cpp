// The host list file operations: one pass over MacList.txt each, rewrites through MacTemp.txt, all under MacList.lock.
#include "hostlist/HostListFile.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "hostlist/HostFileIo.h"
#include "hostlist/HostLine.h"
#include "hostlist/HostListStreams.h"
#include "hostlist/ListEncoding.h"

namespace hostlist {
namespace {

using detail::LineReader;
using detail::LineStatus;
using detail::Outcome;
using Clock = std::chrono::steady_clock;
using detail::CurrentWaitClock;

constexpr char kListPath[] = "./MacList.txt";
constexpr char kTempPath[] = "./MacTemp.txt";
constexpr char kLockPath[] = "./MacList.lock";
constexpr char kLineEnd[] = "\r\n";

// Threads of this process take this before the lock file: a process holds its file lock for
// one thread at a time.
std::mutex& FileLock() {
  static std::mutex lock;
  return lock;
}

// Tries at once, then after short sleeps until deadline. The sleeps stay short because another
// process's rewrite takes a few milliseconds and the lock is free only between two.
io::LockFile::Result TakeListLock(io::LockFile& lock, Clock::time_point deadline) {
  std::chrono::milliseconds pause{1};
  for (;;) {
    const io::LockFile::Result result = lock.TryLock(kLockPath);
    if (result != io::LockFile::Result::kBusy) return result;
    const Clock::time_point now = CurrentWaitClock().Now();
    if (now >= deadline) return result;
    CurrentWaitClock().Sleep(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds{4});
  }
}

// When a rewrite that starts now must have ended.
Clock::time_point DeadlineOf(LockWait wait) {
  return CurrentWaitClock().Now() + (wait == LockWait::kBounded ? detail::kLockWait : std::chrono::milliseconds{0});
}

// What a rewrite does to the old list on its way to the new one.
struct ListEdit {
  std::string_view key;            // the address text lines are matched on
  std::string_view newLine;        // written for every matching line, or appended; empty: drop them
  bool dropLinesWithoutComma;      // such lines are no host lines and go with a removal
  bool createWhenMissing;          // a store starts a list; a removal has nothing to do
};

// Writes one line of the old list to the new one, as edit says.
class LineEditor {
 public:
  LineEditor(const ListEdit& edit, detail::BufferedWriter& out) : m_edit(edit), m_out(out) {}

  Outcome Line(std::string_view line) {
    const auto address = AddressField(line);
    if (address && *address == m_edit.key) {
      m_matched = true;
      return m_out.Append(m_edit.newLine);
    }
    if (!address && m_edit.dropLinesWithoutComma) return Outcome::kOk;
    m_out.Append(line);
    return m_out.Append(kLineEnd);
  }

  Outcome Finish() { return m_matched ? Outcome::kOk : m_out.Append(m_edit.newLine); }

 private:
  const ListEdit& m_edit;
  detail::BufferedWriter& m_out;
  bool m_matched = false;
};

// A list saved as UTF-8 is written back whole in the ANSI code page. Only all of its bytes tell
// which it is, so the lines after the first that is not ASCII wait until the list is known not to
// be UTF-8 (in a list of ours, that same line), or until its end; ASCII lines read the same either way.
Outcome CopyEdited(io::InputFile& list, const ListEdit& edit, detail::BufferedWriter& out) {
  LineReader reader(list);
  LineEditor editor(edit, out);
  detail::Utf8Watch watch;
  std::vector<std::string> waiting;
  std::string line;
  bool firstLine = true;
  for (;;) {
    const LineStatus status = reader.Next(line);
    if (status == LineStatus::kEnd) break;
    // A failed read or a line we could not hold would leave the new list short of it.
    if (status != LineStatus::kLine) return Outcome::kFailed;

    watch.See(line);
    Outcome written = Outcome::kOk;
    if (watch.SurelyUtf8()) {
      written = editor.Line(detail::AnsiLineFromUtf8(line, firstLine));
    } else if (watch.IsUtf8()) {
      waiting.push_back(line);
    } else {
      for (const std::string& held : waiting) {
        written = editor.Line(held);
        if (written != Outcome::kOk) return written;
      }
      waiting.clear();
      written = editor.Line(line);
    }
    firstLine = false;
    // No point reading on once the copy has failed or stopped.
    if (written != Outcome::kOk) return written;
  }
  const bool convert = watch.IsUtf8();
  for (const std::string& held : waiting) {
    const Outcome written = editor.Line(convert ? detail::AnsiFromUtf8(held) : held);
    if (written != Outcome::kOk) return written;
  }
  return editor.Finish();
}

// Puts the complete MacTemp.txt in the place of MacList.txt, trying again while another program
// holds the list for a moment, until kReplaceRetry has passed or the rewrite's deadline comes.
// A replace that fails in the end removes MacTemp.txt: the list stays the old one either way.
// A hold that outlasts the tries counts as a busy list, so an action's later changes try once.
int ReplaceList(Clock::time_point deadline) {
  deadline = std::min(deadline, CurrentWaitClock().Now() + detail::kReplaceRetry);
  // Such holds last some milliseconds; the pauses grow so a longer one costs few attempts.
  std::chrono::milliseconds pause{5};
  for (;;) {
    const io::MoveResult result = io::MoveIntoPlace(kTempPath, kListPath);
    if (result == io::MoveResult::kMoved) return kStored;
    const Clock::time_point now = CurrentWaitClock().Now();
    if (result != io::MoveResult::kHeld || now >= deadline) {
      io::RemoveFile(kTempPath);
      return result == io::MoveResult::kHeld ? kListBusy : kNotStored;
    }
    CurrentWaitClock().Sleep(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds{100});
  }
}

// Writes the edited list to MacTemp.txt and puts it in the place of MacList.txt.
// Caller holds FileLock() and the lock file.
int Rewrite(const ListEdit& edit, Clock::time_point deadline) {
  io::InputFile list;
  const io::OpenResult opened = list.Open(kListPath);
  // A list we cannot read must not be replaced by one made without it.
  if (opened == io::OpenResult::kFailed) return kNotStored;
  if (opened == io::OpenResult::kMissing && !edit.createWhenMissing) return kStored;

  io::OutputFile temp;
  if (!temp.Create(kTempPath)) return kNotStored;

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

  if (outcome == Outcome::kFailed) {
    // An incomplete copy is worth nothing; the list itself was never touched.
    if (temp.IsOpen()) temp.Close();
    io::RemoveFile(kTempPath);
    return kNotStored;
  }

  return ReplaceList(deadline);
}

int LockedRewrite(const ListEdit& edit, LockWait wait) {
  std::lock_guard<std::mutex> guard(FileLock());
  // Nothing to remove from: leave the folder as it is, lock file included.
  if (!edit.createWhenMissing && !io::FileExists(kListPath)) return kStored;
  io::LockFile lock;
  // One bound for the lock wait and the replace's retries together.
  const Clock::time_point deadline = DeadlineOf(wait);
  switch (TakeListLock(lock, deadline)) {
    case io::LockFile::Result::kBusy:
      return kListBusy;
    case io::LockFile::Result::kFailed:
      // Without it another process could write MacTemp.txt beside us; where it cannot even be
      // created, neither can MacTemp.txt.
      return kNotStored;
    case io::LockFile::Result::kLocked:
      break;
  }
  return Rewrite(edit, deadline);
}

}  // namespace

void LoadHostList(const std::function<void(const HostEntry&)>& addRow) {
  if (!addRow) return;
  std::vector<HostEntry> rows;
  {
    std::lock_guard<std::mutex> guard(FileLock());
    // No list, no lock file: a window opened in an empty folder leaves it empty.
    if (!io::FileExists(kListPath)) return;
    io::LockFile lock;
    // Read all the same when it cannot be had: a list we may only read still shows.
    (void)TakeListLock(lock, DeadlineOf(LockWait::kBounded));
    io::InputFile list;
    if (list.Open(kListPath) != io::OpenResult::kOpened) return;
    LineReader reader(list);
    std::vector<std::string> lines;
    std::string line;
    for (;;) {
      const LineStatus status = reader.Next(line);
      if (status == LineStatus::kTooLong) continue;  // no host line is anywhere near that long
      if (status != LineStatus::kLine) break;
      lines.push_back(std::move(line));
    }
    detail::ConvertUtf8List(lines);
    for (const std::string& text : lines) {
      HostEntry row;
      if (ParseHostLine(text, row)) rows.push_back(row);
    }
  }
  for (const HostEntry& row : rows) addRow(row);
}

int StoreHostEntry(const HostEntry& entry, LockWait wait) {
  const std::string newLine = ComposeHostLine(entry);
  // The only line feed allowed is the one that ends the line.
  if (newLine.find('\n') != newLine.size() - 1) return kNotStored;
  return LockedRewrite({FieldText(entry.szMac), newLine, false, true}, wait);
}

int RemoveHostEntry(const HostEntry& entry, LockWait wait) {
  return LockedRewrite({FieldText(entry.szMac), std::string_view(), true, false}, wait);
}

}  // namespace hostlist
