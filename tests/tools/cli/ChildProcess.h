// Runs a program with its standard output and error captured in files, in a chosen working
// directory, and waits for it with a deadline (killing it when the deadline passes).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct ChildResult {
    bool exited = false;  // false: killed at the deadline
    int exitCode = -1;
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline ChildResult runChild(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workDir, std::chrono::milliseconds deadline) {
    ChildResult result;
    const std::string outPath = workDir + "/child.out";
    const std::string errPath = workDir + "/child.err";
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::chdir(workDir.c_str()) != 0) ::_exit(127);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) return result;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            result.exited = WIFEXITED(status);
            result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() - begin > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - begin);
    result.out = readWholeFile(outPath);
    result.err = readWholeFile(errPath);
    return result;
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
