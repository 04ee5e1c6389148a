#include "platform/prompt_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "platform/file_system.h"

extern char** environ;

namespace kumodo {
namespace {

// Beside the program in a build or a portable folder; installed, in
// <prefix>/libexec/kumodo beside <prefix>/bin.
std::string HelperPath() {
  const std::filesystem::path folder = ExecutableFolder();
  const std::filesystem::path beside = folder / "kumodo-prompt";
  if (access(beside.c_str(), X_OK) == 0) return beside.string();
  return (folder.parent_path() / "libexec" / "kumodo" / "kumodo-prompt").string();
}

// The editor's environment and the variable naming the editor.
std::vector<std::string> HelperEnvironment() {
  std::vector<std::string> variables;
  const std::string prefix = std::string(kEditorProcessVariable) + "=";
  for (char** variable = environ; *variable; ++variable) {
    if (std::string_view(*variable).rfind(prefix, 0) != 0) variables.emplace_back(*variable);
  }
  variables.push_back(prefix + std::to_string(getpid()));
  return variables;
}

}  // namespace

bool PromptHelperPresent() { return access(HelperPath().c_str(), X_OK) == 0; }

PromptOutcome RunPromptProcess(const std::vector<std::string>& arguments, const std::function<void()>& keepAlive) {
  PromptOutcome outcome;
  const std::string helper = HelperPath();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(helper.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return outcome;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  std::vector<std::string> environment = HelperEnvironment();
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, helper.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    std::fprintf(stderr, "kumodo: cannot run %s\n", helper.c_str());
    close(pipeEnds[0]);
    return outcome;
  }
  // Read the answer while keeping the editor's window alive.
  for (;;) {
    pollfd readable{pipeEnds[0], POLLIN, 0};
    if (poll(&readable, 1, 10) > 0) {
      char buffer[4096];
      const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
      if (n > 0) {
        outcome.output.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n == 0) break;
    }
    if (keepAlive) keepAlive();
  }
  close(pipeEnds[0]);
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  return outcome;
}

}  // namespace kumodo
