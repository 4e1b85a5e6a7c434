// Child processes for the reliability tests: fork, exec, a pipe for the output, a deadline.
#include "reliability/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

ProcessResult RunBounded(const std::vector<std::string>& argv, const std::string& folder,
                         const std::vector<std::string>& environment, int timeoutSeconds) {
  ProcessResult result;
  int fds[2];
  if (argv.empty() || pipe(fds) != 0)
    return result;
  auto begin = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0)
    return result;
  if (pid == 0) {
    int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    close(fds[1]);
    if (chdir(folder.c_str()) != 0)
      _exit(126);
    for (const std::string& entry : environment)
      putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  result.started = true;
  close(fds[1]);
  auto deadline = begin + std::chrono::seconds(timeoutSeconds);
  char buffer[65536];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) == 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break;
    // A program gone wild may print without end; the first 8 MB tell enough.
    if (result.output.size() < (8u << 20))
      result.output.append(buffer, static_cast<size_t>(got));
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status))
    result.exitStatus = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.signal = WTERMSIG(status);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  return result;
}
