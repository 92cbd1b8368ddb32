#include "batch/parallel_batch.h"

#include "batch/batch_messages.h"
#include "batch/progress_line.h"
#include "json_output.h"
#include "printable_text.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fmcalc {
namespace {

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct Worker {
    pid_t pid = -1;
    Fd to;   // its stdin
    Fd from; // its stdout
    std::string inbox;
    bool ready = false;
    std::optional<std::size_t> row; // the row it is running
};

std::optional<Worker> start_worker(const WorkerCommand& command) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        return std::nullopt;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return std::nullopt;
    }
    Worker worker;
    worker.to = Fd(in[1]);
    worker.from = Fd(out[0]);
    const Fd child_in(in[0]);
    const Fd child_out(out[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, child_in.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, child_out.get(), STDOUT_FILENO);
    std::vector<std::string> args = command.args;
    args.insert(args.begin(), command.program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int rc =
        posix_spawn(&worker.pid, command.program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return std::nullopt;
    return worker;
}

std::string how_it_ended(int status) {
    if (WIFSIGNALED(status))
        return "was killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return "exited with status " + std::to_string(WEXITSTATUS(status));
}

// A line of the error stream, and with --json its object on the output.
RowOutput problem_output(const std::string& message, const std::string& source,
                         OutputFormat format) {
    RowOutput output;
    output.err = "fmcalc: " + escape_control_characters(message) + "\n";
    if (format == OutputFormat::Json)
        output.out = json_result(Value::error(message, 0), source) + "\n";
    return output;
}

class WorkerPool {
public:
    WorkerPool(const std::vector<BatchRow>& rows, const std::vector<NamedCalculation>& calculations,
               const WorkerCommand& command, OutputFormat format)
        : rows_(rows), script_(calculations_message(calculations)), command_(command),
          format_(format) {}

    ~WorkerPool() {
        for (Worker& worker : workers_)
            stop(worker);
    }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    bool start(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!add_worker())
                return false;
        }
        return true;
    }

    // Hands out rows and collects results until every row has one. False
    // when no worker could get ready.
    bool run(std::map<std::size_t, RowOutput>& results, const std::function<void()>& flush) {
        while (outstanding()) {
            hand_out_rows();
            if (workers_.empty())
                return false;
            std::vector<pollfd> fds;
            for (const Worker& worker : workers_)
                fds.push_back({worker.from.get(), POLLIN, 0});
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            for (std::size_t i = fds.size(); i-- > 0;) {
                if (fds[i].revents == 0)
                    continue;
                if (!receive(workers_[i], results)) {
                    if (!retire(i, results))
                        return false;
                }
            }
            flush();
        }
        return true;
    }

private:
    // Rows not yet handed out, or handed out and not yet answered.
    bool outstanding() const {
        for (std::size_t i = next_; i < rows_.size(); ++i) {
            if (rows_[i].skip_reason.empty())
                return true;
        }
        for (const Worker& worker : workers_) {
            if (worker.row)
                return true;
        }
        return false;
    }

    bool add_worker() {
        auto worker = start_worker(command_);
        if (!worker || !wire::write_all(worker->to.get(), script_))
            return false;
        workers_.push_back(std::move(*worker));
        return true;
    }

    void hand_out_rows() {
        for (Worker& worker : workers_) {
            if (!worker.ready || worker.row)
                continue;
            while (next_ < rows_.size() && !rows_[next_].skip_reason.empty())
                ++next_; // skipped rows are reported by the parent
            if (next_ >= rows_.size())
                return;
            // A worker that died meanwhile is found by poll; its row is
            // reported then.
            worker.row = next_;
            wire::write_all(worker.to.get(), row_message(next_, rows_[next_]));
            ++next_;
        }
    }

    // False at end of input or on a malformed message.
    bool receive(Worker& worker, std::map<std::size_t, RowOutput>& results) {
        char buffer[65536];
        const ssize_t got = ::read(worker.from.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            return true;
        if (got <= 0)
            return false;
        worker.inbox.append(buffer, static_cast<std::size_t>(got));
        while (auto frame = wire::take_frame(worker.inbox)) {
            wire::Reader message(*frame);
            const auto kind = message.kind();
            if (kind == wire::Message::Ready) {
                worker.ready = true;
                ever_ready_ = true;
            } else if (kind == wire::Message::RowDone && worker.row) {
                std::size_t index = 0;
                RowOutput output = read_row_done(message, index);
                if (!message.ok() || index != *worker.row)
                    return false;
                results[index] = std::move(output);
                worker.row.reset();
            } else {
                return false;
            }
        }
        return true;
    }

    // The worker stopped: its row (if any) failed, and a new worker takes
    // its place while rows are left. False when workers cannot start.
    bool retire(std::size_t i, std::map<std::size_t, RowOutput>& results) {
        Worker& worker = workers_[i];
        const bool was_ready = worker.ready;
        const int status = stop(worker);
        if (worker.row) {
            const BatchRow& row = rows_[*worker.row];
            RowOutput output =
                problem_output("row " + std::to_string(row.number) + ": the worker process " +
                                   how_it_ended(status) + " while running it" + row.context.label,
                               row_source_json(row), format_);
            output.report.failed = true;
            results[*worker.row] = std::move(output);
        }
        workers_.erase(workers_.begin() + static_cast<std::ptrdiff_t>(i));
        if (!was_ready && !ever_ready_)
            return false; // it could not even start: neither will another
        if (next_ < rows_.size() && ++restarts_ <= rows_.size())
            return add_worker();
        return true;
    }

    // Closes its pipes (so it ends at its next read) and waits for it.
    static int stop(Worker& worker) {
        worker.to.reset();
        worker.from.reset();
        int status = 0;
        if (worker.pid > 0) {
            while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        worker.pid = -1;
        return status;
    }

    const std::vector<BatchRow>& rows_;
    const std::string script_;
    const WorkerCommand& command_;
    OutputFormat format_;
    std::vector<Worker> workers_;
    std::size_t next_ = 0;
    std::size_t restarts_ = 0;
    bool ever_ready_ = false;
};

} // namespace

ParallelOutcome run_rows_in_workers(const std::vector<BatchRow>& rows,
                                    const std::vector<NamedCalculation>& calculations,
                                    const WorkerCommand& command, int jobs, OutputFormat format,
                                    std::ostream& out, std::ostream& err, std::ostream* progress) {
    // A worker that dies must not take fmcalc with it when a row is written
    // to it.
    std::signal(SIGPIPE, SIG_IGN);
    ParallelOutcome outcome;
    std::map<std::size_t, RowOutput> results;
    std::size_t runnable = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].skip_reason.empty())
            ++runnable;
        else
            results[i] = problem_output(rows[i].skip_reason, row_source_json(rows[i]), format);
    }

    ProgressLine line(progress);
    std::size_t printed = 0;
    const auto flush = [&] {
        while (printed < rows.size()) {
            const auto found = results.find(printed);
            if (found == results.end())
                break;
            line.clear();
            out << found->second.out << std::flush;
            err << found->second.err << std::flush;
            if (rows[printed].skip_reason.empty())
                outcome.counts.add(found->second.report);
            else
                ++outcome.counts.skipped;
            results.erase(found);
            ++printed;
            line.show(printed, rows.size());
        }
    };
    if (runnable == 0) {
        flush();
        return outcome;
    }
    WorkerPool pool(rows, calculations, command, format);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(jobs), runnable);
    if (!pool.start(count) || !pool.run(results, flush)) {
        line.clear();
        outcome.workers_failed_to_start = true;
        return outcome;
    }
    flush();
    return outcome;
}

} // namespace fmcalc
