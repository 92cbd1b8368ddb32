// Runs fmcalc (the host program built beside the plug-in) as a user would,
// without a shell and without a controlling terminal, and gives its output.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

// fmcalc's standard output and exit status for `args` (the program name is
// added). The COM registry is the one in the environment of the test.
struct FmcalcRun {
    std::string output;
    int status = -1;
};

inline FmcalcRun RunFmcalc(std::vector<std::string> args) {
    FmcalcRun run;
    args.insert(args.begin(), FMCALC_BINARY);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A new session has no controlling terminal: nothing can wait for a user.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, FMCALC_BINARY, &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[1]);
    char buffer[512];
    ssize_t count = 0;
    while ((count = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        run.output.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fds[0]);
    if (spawned == 0 && ::waitpid(pid, &run.status, 0) == pid && WIFEXITED(run.status)) {
        run.status = WEXITSTATUS(run.status);
    }
    return run;
}

// The same, with the COM registry naming the scriptable test server.
inline FmcalcRun RunFmcalcAgainst(const std::string& registry, std::vector<std::string> args) {
    ::setenv("PAGINOR_COM_REGISTRY", registry.c_str(), 1);
    FmcalcRun run = RunFmcalc(std::move(args));
    ::unsetenv("PAGINOR_COM_REGISTRY");
    return run;
}
