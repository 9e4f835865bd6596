// The shared console: the built program with standard input and standard
// output both on one pseudo-terminal, answers typed once the program waits
// for them, standard error on a pipe of its own.
//
// The terminal keeps its line editing and echo, but its output
// post-processing (OPOST) is off, so the bytes the program writes reach the
// master unchanged, and the echo of a typed line "x\n" is "x\n". Its
// suspend character is disabled, so that a typed Ctrl-Z is a byte of the
// line, as on a console where it marks the end of the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "run_fixture.h"

#ifndef SOTRA_EXECUTABLE
#error "SOTRA_EXECUTABLE must name the built sotra program"
#endif

namespace sotra {
namespace {

// Kills a child that neither writes what is awaited nor ends.
constexpr std::chrono::seconds kSafetyNet{5};

std::string printable(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') text += "\\r";
        else if (c == '\n') text += "\\n";
        else if (u < 32 || u >= 127) {
            static const char digits[] = "0123456789ABCDEF";
            text += "\\x";
            text += digits[u >> 4];
            text += digits[u & 15];
        } else text += c;
    }
    return text;
}

// One run of the program on a pseudo-terminal.
class PtySession {
public:
    PtySession() = default;
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;
    ~PtySession() {
        if (child_ > 0 && !reaped_) {
            ::kill(child_, SIGKILL);
            int status = 0;
            (void)::waitpid(child_, &status, 0);
        }
        if (master_ >= 0) ::close(master_);
        if (err_ >= 0) ::close(err_);
    }

    // Empty on success, else why no terminal could be had.
    std::string start(const E2eDirectory& dir) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0) return std::string("posix_openpt: ") + std::strerror(errno);
        if (::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            return std::string("grantpt/unlockpt: ") + std::strerror(errno);
        }
        const char* slave_name = ::ptsname(master_);
        if (slave_name == nullptr) return std::string("ptsname: ") + std::strerror(errno);
        const int slave = ::open(slave_name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0) return std::string("open ") + slave_name + ": " + std::strerror(errno);
        termios settings;
        if (::tcgetattr(slave, &settings) != 0) {
            ::close(slave);
            return std::string("tcgetattr: ") + std::strerror(errno);
        }
        settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        settings.c_cc[VSUSP] = _POSIX_VDISABLE;
        if (::tcsetattr(slave, TCSANOW, &settings) != 0) {
            ::close(slave);
            return std::string("tcsetattr: ") + std::strerror(errno);
        }
        int err[2];
        if (::pipe2(err, O_CLOEXEC) != 0) {
            ::close(slave);
            return std::string("pipe2: ") + std::strerror(errno);
        }

        const std::string executable = SOTRA_EXECUTABLE;
        std::vector<std::string> environment{"PATH=" + dir.path() + "/bin:/usr/bin:/bin"};
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
        }
        std::vector<char*> envp;
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string argv0 = executable;
        char* const argv[] = {argv0.data(), nullptr};
        const std::string working_directory = dir.path();

        child_ = ::fork();
        if (child_ < 0) {
            ::close(slave);
            ::close(err[0]);
            ::close(err[1]);
            return std::string("fork: ") + std::strerror(errno);
        }
        if (child_ == 0) {
            // Only async-signal-safe calls from here to exec.
            ::setsid();
            ::ioctl(slave, TIOCSCTTY, 0);
            ::dup2(slave, STDIN_FILENO);
            ::dup2(slave, STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            ::signal(SIGPIPE, SIG_DFL);
            if (::chdir(working_directory.c_str()) != 0) ::_exit(127);
            ::execve(executable.c_str(), argv, envp.data());
            ::_exit(127);
        }
        ::close(slave);
        ::close(err[1]);
        err_ = err[0];
        deadline_ = std::chrono::steady_clock::now() + kSafetyNet;
        return {};
    }

    // Reads what the terminal receives until it holds `expected`, the whole
    // transcript so far; fails as soon as it differs, ends or times out.
    ::testing::AssertionResult wait_for(const std::string& expected) {
        for (;;) {
            const std::size_t common = std::min(transcript_.size(), expected.size());
            if (transcript_.compare(0, common, expected, 0, common) != 0 || transcript_.size() > expected.size()) {
                return ::testing::AssertionFailure() << "the terminal received \"" << printable(transcript_)
                                                     << "\", awaiting \"" << printable(expected) << "\"";
            }
            if (transcript_.size() == expected.size()) return ::testing::AssertionSuccess();
            if (!read_some()) {
                return ::testing::AssertionFailure() << (timed_out_ ? "timed out" : "the terminal closed")
                                                     << " after \"" << printable(transcript_) << "\", awaiting \""
                                                     << printable(expected) << "\"";
            }
        }
    }

    void type(std::string_view keys) {
        while (!keys.empty()) {
            const ssize_t done = ::write(master_, keys.data(), keys.size());
            if (done < 0) {
                if (errno == EINTR) continue;
                ADD_FAILURE() << "typing failed: " << std::strerror(errno);
                return;
            }
            keys.remove_prefix(static_cast<std::size_t>(done));
        }
    }

    // Reads the rest until the program has ended and the terminal closed,
    // then its standard error; the exit status, or -1 (killed or signalled).
    int finish() {
        while (read_some()) {
        }
        if (timed_out_) ::kill(child_, SIGKILL);
        int status = 0;
        while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
        char chunk[4096];
        for (;;) {
            const ssize_t got = ::read(err_, chunk, sizeof chunk);
            if (got > 0) err_bytes_.append(chunk, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR) break;
        }
        if (timed_out_ || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }

    const std::string& transcript() const { return transcript_; }
    const std::string& err() const { return err_bytes_; }
    bool timed_out() const { return timed_out_; }

private:
    // One chunk from the master into the transcript; false at its end (the
    // terminal closed) or when the safety net runs out.
    bool read_some() {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                timed_out_ = true;
                return false;
            }
            pollfd fd{master_, POLLIN, 0};
            const int ready = ::poll(&fd, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) continue;
            char chunk[4096];
            const ssize_t got = ::read(master_, chunk, sizeof chunk);
            if (got > 0) {
                transcript_.append(chunk, static_cast<std::size_t>(got));
                return true;
            }
            if (got < 0 && errno == EINTR) continue;
            return false;  // EIO once every descriptor of the terminal is closed
        }
    }

    int master_ = -1;
    int err_ = -1;
    pid_t child_ = -1;
    bool reaped_ = false;
    bool timed_out_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::string transcript_;
    std::string err_bytes_;
};

// The shared console: a read first ends the open line, and ends it itself,
// so the prompt after an answer follows the echo directly.
const std::string kFirstPromptAndReadStart = std::string(kSweepPromptShown) + "\r\n";
std::string second_prompts_and_read_start() {
    return std::string(kAtomsPromptShown) + "\r\n" + std::string(kVariablePromptShown) + "\r\n";
}
const std::string kAfterSecondAnswers =
    "ITLE TOP \"Th Debye:   345.000K\""
    "\r\nITLE BOTTOM \"T(K)\""
    "\r\nITLE LEFT \"Cv/R Debye\""
    "\r\nJOIN"
    "\r\n Resultados en SOTRA.DAT\r\n\r\n";

class ConsoleOnPty : public EndToEnd {
protected:
    void expect_typical_files() {
        ASSERT_TRUE(dir_.exists("SOTRA.DAT"));
        EXPECT_EQ(dir_.read_file("SOTRA.DAT"), kTypicalResultsFile);
        ASSERT_TRUE(dir_.exists("SOTRA.GNP"));
        EXPECT_EQ(dir_.read_file("SOTRA.GNP"), kTypicalScriptFile);
        ASSERT_TRUE(dir_.exists(kPlotterArgsFile));
        EXPECT_EQ(dir_.read_file(kPlotterArgsFile), "[sotra.gnp][-]\n");
    }

    // The whole dialogue with `first_line` typed as the first answer line.
    void run_typical_dialogue(const std::string& first_line) {
        std::string expected = kFirstPromptAndReadStart;
        ASSERT_TRUE(session_.wait_for(expected));
        session_.type(first_line + "\n");
        expected += first_line + "\n" + second_prompts_and_read_start();
        ASSERT_TRUE(session_.wait_for(expected));
        session_.type("2 345\n");
        expected += "2 345\n" + kAfterSecondAnswers;

        const int status = session_.finish();

        EXPECT_EQ(session_.transcript(), expected)
            << "received: " << printable(session_.transcript()) << "\nexpected: " << printable(expected);
        EXPECT_EQ(status, 0) << "stderr: " << printable(session_.err());
        EXPECT_EQ(session_.err(), "");
        expect_typical_files();
    }

    // The first answer line ends the run with `diagnostic`.
    void run_failing_first_answer(std::string_view keys, const std::string& diagnostic) {
        ASSERT_TRUE(session_.wait_for(kFirstPromptAndReadStart));
        session_.type(keys);

        const int status = session_.finish();

        EXPECT_EQ(status, 1) << (session_.timed_out() ? "timed out" : "");
        EXPECT_EQ(session_.err(), diagnostic);
        EXPECT_EQ(session_.transcript().substr(0, kFirstPromptAndReadStart.size()), kFirstPromptAndReadStart);
        EXPECT_FALSE(dir_.exists("SOTRA.DAT"));
        EXPECT_FALSE(dir_.exists("SOTRA.GNP"));
    }

    PtySession session_;
};

#define START_OR_SKIP()                                                      \
    do {                                                                     \
        const std::string why = session_.start(dir_);                       \
        if (!why.empty()) GTEST_SKIP() << "no pseudo-terminal: " << why;     \
    } while (false)

TEST_F(ConsoleOnPty, TypicalDialogue) {
    START_OR_SKIP();
    run_typical_dialogue("10 10 30");
}

// 130 characters is the longest answer line a terminal may give.
TEST_F(ConsoleOnPty, AnswerOf130CharactersIsRead) {
    START_OR_SKIP();
    const std::string line = "10 10 30" + std::string(122, ' ');
    ASSERT_EQ(line.size(), 130u);
    run_typical_dialogue(line);
}

// A blank data file name is asked for on the terminal: the read of the
// name line ended the console line, so the question starts at once, and
// the answer is typed on the line of "UNIT 10? ", which its echo ends.
TEST_F(ConsoleOnPty, BlankDataFileNameIsAskedOnTheTerminal) {
    dir_.write_file("data.txt", "100 200\n300 400\n");
    START_OR_SKIP();
    std::string expected = kFirstPromptAndReadStart;
    ASSERT_TRUE(session_.wait_for(expected));
    session_.type("10 10 30\n");
    expected += "10 10 30\n" + second_prompts_and_read_start();
    ASSERT_TRUE(session_.wait_for(expected));
    session_.type("2 0\n");
    expected += "2 0\n Fichero de datos de THETA(T)\r\n";
    ASSERT_TRUE(session_.wait_for(expected));
    session_.type("\n");
    expected += "\nFile name missing or blank - please enter file name\r\nUNIT 10? ";
    ASSERT_TRUE(session_.wait_for(expected));
    session_.type("data.txt\n");
    expected += "data.txt\nITLE TOP \"Th Debye(media):   300.000K\""
                "\r\nITLE BOTTOM \"T(K)\"\r\nITLE LEFT \"Cv/R Debye\"\r\nJOIN\r\n Resultados en SOTRA.DAT\r\n\r\n";

    const int status = session_.finish();

    EXPECT_EQ(session_.transcript(), expected)
        << "received: " << printable(session_.transcript()) << "\nexpected: " << printable(expected);
    EXPECT_EQ(status, 0) << "stderr: " << printable(session_.err());
    EXPECT_TRUE(dir_.exists("SOTRA.DAT"));
}

TEST_F(ConsoleOnPty, AnswerOf131CharactersIsRefused) {
    START_OR_SKIP();
    const std::string line = "10 10 30" + std::string(123, ' ');
    run_failing_first_answer(line + "\n",
                             "\r\nrun-time error F6012: READ(CON)\r\n- console line longer than 130 characters\r\n");
}

// A line longer than the 132-byte buffer reaches the program in pieces;
// the first piece is already too long.
TEST_F(ConsoleOnPty, AnswerLongerThanTheBufferIsRefused) {
    START_OR_SKIP();
    run_failing_first_answer("10 10 30" + std::string(992, ' ') + "\n",
                             "\r\nrun-time error F6012: READ(CON)\r\n- console line longer than 130 characters\r\n");
}

TEST_F(ConsoleOnPty, CtrlZLineIsEndOfFile) {
    START_OR_SKIP();
    run_failing_first_answer("\x1A\n", "\r\nrun-time error F6011: READ(CON)\r\n- end of file\r\n");
}

TEST_F(ConsoleOnPty, CtrlDOnEmptyLineIsEndOfFile) {
    START_OR_SKIP();
    run_failing_first_answer("\x04", "\r\nrun-time error F6011: READ(CON)\r\n- end of file\r\n");
}

}  // namespace
}  // namespace sotra
