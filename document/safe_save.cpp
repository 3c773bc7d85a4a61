#include "document/safe_save.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/message.h"
#include "nexus/nexus.h"

namespace {

// The temporary file of the save in progress: a signal that ends the program
// during the save removes it first.
std::atomic<char*> g_temp{nullptr};
struct sigaction g_old_int, g_old_term;
volatile sig_atomic_t g_caught = 0;

extern "C" void on_signal_during_save(int sig)
{
  // Only async-signal-safe calls here.
  char* name = g_temp.load();
  if (name)
    unlink(name);
  g_caught = g_caught | (sig == SIGINT ? 1 : 2);
  sigaction(sig, sig == SIGINT ? &g_old_int : &g_old_term, nullptr);
  // Delivered when this handler returns, to whatever handled it before.
  raise(sig);
}

void guard_temp(const std::string& name)
{
  char* copy = new char[name.size() + 1];
  std::memcpy(copy, name.c_str(), name.size() + 1);
  delete[] g_temp.exchange(copy);
  g_caught = 0;
  struct sigaction sa = {};
  sa.sa_handler = on_signal_during_save;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &g_old_int);
  sigaction(SIGTERM, &sa, &g_old_term);
}

void unguard_temp()
{
  if (!g_temp.load())
    return;
  // A signal that came has put its old handler back already.
  if (!(g_caught & 1))
    sigaction(SIGINT, &g_old_int, nullptr);
  if (!(g_caught & 2))
    sigaction(SIGTERM, &g_old_term, nullptr);
  delete[] g_temp.exchange(nullptr);
}

// Follows symbolic links in the last part of the name, dangling ones too, so
// that a save writes through a link instead of replacing it.
bool resolve_target(const char* filename, std::string* target)
{
  std::string name = filename;
  for (int hops = 0; hops < 40; hops++) {
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = name;
      return true;
    }
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
    const ssize_t n = readlink(name.c_str(), buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size())
      return false;
    std::string link(buf.data(), static_cast<size_t>(n));
    const size_t slash = name.rfind('/');
    if (link[0] != '/' && slash != std::string::npos)
      link = name.substr(0, slash + 1) + link;
    name = link;
  }
  return false;
}

int refuse(const char* format, const char* filename)
{
  warning(format, filename);
  note_failure();
  return 0;
}

bool write_all(int fd, const std::string& text)
{
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Another name shares the file: it must see the new text, so the file is
// rewritten where it is (the text is complete by now).
bool write_in_place(const std::string& target, const std::string& text)
{
  const int fd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ftruncate(fd, 0) == 0 && write_all(fd, text) &&
            fsync(fd) == 0;
  if (close(fd) != 0)
    ok = false;
  return ok;
}

unsigned g_temp_count = 0;

} // namespace

int open_safe_output(tNexusOutput* out, const char* filename, tSafeSave* save, const char* cant_open)
{
  if (!cant_open)
    cant_open = "Can't open file: %s to write";
  save->tmpname.clear();
  std::string& target = save->target;
  if (!resolve_target(filename, &target))
    return refuse(cant_open, filename);
  struct stat st;
  const bool exists = stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode))
    return refuse("Refuse to write file: %s, it is not a regular file", filename);
  // Root may write anything: the mode bits say what the owner meant.
  if (exists && ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0))
    return refuse("Refuse to write file: %s, it is read-only", filename);
  if (exists && st.st_nlink > 1) {
    out->OpenString();
    return 1;
  }
  // A short name of its own, so that any name the folder allows can be saved.
  const size_t slash = target.rfind('/');
  char base[64];
  std::snprintf(base, sizeof base, ".qv%ld-%uXXXXXX", static_cast<long>(getpid()), ++g_temp_count);
  std::string name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + base;
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  const int fd = mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0)
    return refuse(cant_open, filename);
  save->tmpname = buf.data();
  guard_temp(save->tmpname);
  // Keep the owner and permissions of the file we replace, or give a new
  // file the usual ones. Only root may give a file away: elsewhere it fails.
  if (exists) {
    if (fchown(fd, st.st_uid, st.st_gid) != 0) {
    }
    fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  if (!out->OpenFd(fd)) {
    unlink(save->tmpname.c_str());
    unguard_temp();
    save->tmpname.clear();
    return refuse(cant_open, filename);
  }
  return 1;
}

int commit_safe_output(tNexusOutput* out, const char* filename, const tSafeSave& save)
{
  bool ok;
  if (save.tmpname.empty()) {
    ok = out->Good() && write_in_place(save.target, out->GetString());
    out->CloseString();
  } else {
    out->CloseFile();
    ok = out->Good() && std::rename(save.tmpname.c_str(), save.target.c_str()) == 0;
    if (!ok)
      unlink(save.tmpname.c_str());
    unguard_temp();
  }
  if (!ok)
    return refuse("Couldn't write file: %s", filename);
  return 1;
}

void abandon_safe_output(tNexusOutput* out, const tSafeSave& save)
{
  if (save.tmpname.empty()) {
    out->CloseString();
    return;
  }
  out->CloseFile();
  unlink(save.tmpname.c_str());
  unguard_temp();
}
