#include "engine_process.h"

#include "broken_pdf_builder.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace reliability {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Deflates `chunk` repeated until `total` bytes went in, without holding the
// decoded data.
std::string DeflateRepeated(const std::string& chunk, std::size_t total) {
    z_stream stream{};
    if (deflateInit(&stream, 1) != Z_OK) {
        throw std::runtime_error("deflateInit failed");
    }
    std::string out;
    std::string buffer(1 << 16, '\0');
    std::size_t fed = 0;
    int flush = Z_NO_FLUSH;
    do {
        if (stream.avail_in == 0 && flush == Z_NO_FLUSH) {
            if (fed < total) {
                stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
                stream.avail_in = static_cast<uInt>(chunk.size());
                fed += chunk.size();
            } else {
                flush = Z_FINISH;
            }
        }
        stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
        stream.avail_out = static_cast<uInt>(buffer.size());
        const int status = deflate(&stream, flush);
        out.append(buffer.data(), buffer.size() - stream.avail_out);
        if (status == Z_STREAM_END) {
            break;
        }
    } while (true);
    deflateEnd(&stream);
    return out;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string PageWithContent(const std::string& contentDictionary, const std::string& content) {
    PdfBuilder pdf;
    pdf.Add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
            " /Resources << /Font << /F1 5 0 R >> >> >>");
    pdf.AddStream(contentDictionary, content);
    pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    return pdf.Build(1);
}

std::string ProgramOf(pid_t pid) {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    return error ? std::string() : exe.filename().string();
}

} // namespace

void WriteContentBomb(const fs::path& path, std::size_t decodedBytes) {
    std::string chunk = "BT /F1 1 Tf 10 10 Td\n";
    while (chunk.size() < 30000) {
        chunk += "(ab) Tj 1 0 Td\n";
    }
    WriteBytes(path,
               PageWithContent("<< /Filter /FlateDecode >>", DeflateRepeated(chunk, decodedBytes)));
}

void WriteRunawayPageTree(const fs::path& path, int references) {
    std::string kids = "[";
    for (int i = 0; i < references; ++i) {
        kids += "3 0 R ";
    }
    kids += "]";
    PdfBuilder pdf;
    pdf.Add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Add("<< /Type /Pages /Kids " + kids + " /Count " + std::to_string(references) + " >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>");
    WriteBytes(path, pdf.Build(1));
}

void WriteGigapixelContent(const fs::path& path) {
    std::string data;
    for (int i = 0; i < 2000; ++i) {
        data += std::string("\x00\x01", 2);
    }
    WriteBytes(path, PageWithContent("<< /Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns "
                                     "100000 /Rows 100000 >> >>",
                                     data));
}

void WriteLargeDocument(const fs::path& path, std::size_t bytes) {
    std::string filler;
    filler.reserve(bytes);
    while (filler.size() + 16 <= bytes) {
        filler += "% filler line\n";
    }
    WriteBytes(path, PageWithContent("<< >>", filler + "BT /F1 12 Tf 72 700 Td (large) Tj ET\n"));
}

std::optional<pid_t> FindProcessWith(const std::string& program, const std::string& variable,
                                     const std::string& value, std::chrono::milliseconds limit) {
    const std::string wanted = variable + "=" + value;
    const auto until = std::chrono::steady_clock::now() + limit;
    do {
        for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            const pid_t pid = std::stoi(name);
            if (ProgramOf(pid) != program) {
                continue;
            }
            std::ifstream environment(entry.path() / "environ", std::ios::binary);
            for (std::string item; std::getline(environment, item, '\0');) {
                if (item == wanted) {
                    return pid;
                }
            }
        }
        std::this_thread::sleep_for(5ms);
    } while (std::chrono::steady_clock::now() < until);
    return std::nullopt;
}

std::vector<pid_t> ChildrenRunning(const std::string& program) {
    std::vector<pid_t> children;
    for (const fs::directory_entry& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream list(task.path() / "children");
        for (pid_t child = 0; list >> child;) {
            if (ProgramOf(child) == program) {
                children.push_back(child);
            }
        }
    }
    return children;
}

pid_t ParentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    return parent;
}

bool EndsWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) {
            return true;
        }
        const std::size_t close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() &&
            (line[close + 2] == 'Z' || line[close + 2] == 'X')) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
}

std::vector<pid_t> ServersIn(const fs::path& statistics) {
    std::vector<pid_t> servers;
    std::ifstream lines(statistics);
    for (std::string word; lines >> word;) {
        if (word == "server") {
            pid_t pid = 0;
            if (lines >> pid) {
                servers.push_back(pid);
            }
        }
    }
    return servers;
}

std::optional<std::string> WaitForFile(const fs::path& path, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!fs::exists(path)) {
        if (std::chrono::steady_clock::now() >= until) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(5ms);
    }
    std::ifstream file(path);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::optional<std::uintmax_t> SizeOfFileBeingWritten(pid_t pid, const fs::path& folder,
                                                     const std::vector<fs::path>& except) {
    const fs::path process = "/proc/" + std::to_string(pid);
    const std::string inFolder = folder.string() + "/";
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(process / "fd", error)) {
        const std::string link = fs::read_symlink(entry.path(), error).string();
        if (error || !link.starts_with(inFolder) ||
            std::find(except.begin(), except.end(), fs::path(link)) != except.end()) {
            continue;
        }
        std::ifstream info(process / "fdinfo" / entry.path().filename());
        unsigned long flags = 0;
        for (std::string word; info >> word;) {
            if (word == "flags:") {
                info >> std::oct >> flags;
                break;
            }
        }
        if ((flags & 3u) == 0) { // opened for reading only
            continue;
        }
        const std::uintmax_t size = fs::file_size(entry.path(), error);
        if (!error) {
            return size;
        }
    }
    return std::nullopt;
}

std::size_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return static_cast<std::size_t>(std::stoull(line.substr(6))) * 1024;
        }
    }
    return 0;
}

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace reliability
