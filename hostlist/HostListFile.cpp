// The host list file operations: one pass over MacList.txt each, rewrites through MacTemp.txt, all under MacList.lock.
#include "hostlist/HostListFile.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
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

// What a rewrite does to the old list on its way to the new one: the changes of one action,
// made in one pass with the result of making them one at a time.
class ListEdit {
 public:
  // A removal drops the lines without a comma too (they are no host lines), and with no list
  // there is nothing to do; a store starts a list.
  explicit ListEdit(bool removal) : m_removal(removal) {}

  // Every line whose address field is key becomes newLine ("": it goes). Of two changes of one
  // key the later wins, as it would have overwritten the earlier; an appended line keeps the
  // place of the first.
  void Change(std::string key, std::string newLine) {
    const auto [known, added] = m_index.emplace(std::move(key), m_newLines.size());
    if (added) {
      m_newLines.push_back(std::move(newLine));
    } else {
      m_newLines[known->second] = std::move(newLine);
    }
  }

  bool Empty() const { return m_newLines.empty(); }
  bool Removal() const { return m_removal; }
  size_t Count() const { return m_newLines.size(); }
  // Which change key's lines take (Count() when none); the line it writes.
  size_t ChangeOf(std::string_view key) const {
    const auto known = m_index.find(std::string(key));  // an address fits the string's own room
    return known == m_index.end() ? Count() : known->second;
  }
  const std::string& NewLine(size_t change) const { return m_newLines[change]; }

 private:
  bool m_removal;
  std::unordered_map<std::string, size_t> m_index;  // address text -> its change
  std::vector<std::string> m_newLines;              // in the order the keys came first
};

// Writes each line of the old list to the new one as the edit says, then appends the new lines
// no old line took.
class LineEditor {
 public:
  LineEditor(const ListEdit& edit, detail::BufferedWriter& out)
      : m_edit(edit), m_out(out), m_matched(edit.Count(), false) {}

  Outcome Line(std::string_view line) {
    const auto address = AddressField(line);
    if (!address) {
      if (m_edit.Removal()) return Outcome::kOk;
    } else if (const size_t change = m_edit.ChangeOf(*address); change < m_edit.Count()) {
      m_matched[change] = true;
      return m_out.Append(m_edit.NewLine(change));
    }
    m_out.Append(line);
    return m_out.Append(kLineEnd);
  }

  Outcome Finish() {
    Outcome outcome = Outcome::kOk;
    for (size_t change = 0; change < m_edit.Count() && outcome == Outcome::kOk; ++change) {
      if (!m_matched[change]) outcome = m_out.Append(m_edit.NewLine(change));
    }
    return outcome;
  }

 private:
  const ListEdit& m_edit;
  detail::BufferedWriter& m_out;
  std::vector<bool> m_matched;
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
  if (opened == io::OpenResult::kMissing && edit.Removal()) return kStored;

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
    outcome = LineEditor(edit, out).Finish();
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
  if (edit.Removal() && !io::FileExists(kListPath)) return kStored;
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

int StoreHostEntries(const std::vector<HostEntry>& entries, LockWait wait) {
  int result = kStored;
  ListEdit edit(false);
  const auto rewrite = [&] {
    const int rewritten = edit.Empty() ? kStored : LockedRewrite(edit, wait);
    if (result == kStored) result = rewritten;
    edit = ListEdit(false);
  };
  for (const HostEntry& entry : entries) {
    std::string newLine = ComposeHostLine(entry);
    // The only line feed allowed is the one that ends the line.
    if (newLine.find('\n') != newLine.size() - 1) {
      if (result == kStored) result = kNotStored;
      continue;
    }
    std::string key = FieldText(entry.szMac);
    // An address with a comma of its own writes a line that other addresses match, and that its
    // own does not: such a store gets a rewrite of its own, as one call per entry would.
    const bool apart = AddressField(newLine) != std::string_view(key);
    if (apart) rewrite();
    edit.Change(std::move(key), std::move(newLine));
    if (apart) rewrite();
  }
  rewrite();
  return result;
}

int RemoveHostEntries(const std::vector<HostEntry>& entries, LockWait wait) {
  ListEdit edit(true);
  for (const HostEntry& entry : entries) edit.Change(FieldText(entry.szMac), std::string());
  return edit.Empty() ? kStored : LockedRewrite(edit, wait);
}

int StoreHostEntry(const HostEntry& entry, LockWait wait) { return StoreHostEntries({entry}, wait); }

int RemoveHostEntry(const HostEntry& entry, LockWait wait) { return RemoveHostEntries({entry}, wait); }

}  // namespace hostlist
