#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::tools {

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError("cannot open " + path + ": " + std::strerror(errno));
    // An engine executable is tens of megabytes: read into room sized by the file, in blocks
    // (a file that grows or is not a regular one still reads whole).
    std::vector<uint8_t> bytes;
    if (in.seekg(0, std::ios::end)) {
        std::streamoff size = in.tellg();
        in.seekg(0, std::ios::beg);
        if (size > 0) bytes.reserve(size_t(size));
    } else {
        in.clear();
    }
    std::vector<char> block(1 << 20);
    while (in.read(block.data(), std::streamsize(block.size())) || in.gcount() > 0)
        bytes.insert(bytes.end(), block.begin(), block.begin() + in.gcount());
    if (in.bad()) throw ToolError("cannot read " + path + ": " + std::strerror(errno));
    return bytes;
}

std::string read_text_file(const std::string& path) {
    std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes, bool executable,
                const std::string& mode_from) {
    std::string tmp = path + ".tmp" + std::to_string(getpid());
    {
        // Errors name the file the user asked for, not the temporary one.
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) throw ToolError("cannot write " + path + ": " + std::strerror(errno));
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            int e = errno;
            std::remove(tmp.c_str());
            throw ToolError("cannot write " + path + ": " + std::strerror(e));
        }
    }
    if (executable) {
        mode_t mode = 0755;
        struct stat st;
        if (!mode_from.empty() && stat(mode_from.c_str(), &st) == 0)
            mode = (st.st_mode & 07777) | S_IRUSR | S_IWUSR;
        chmod(tmp.c_str(), mode);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        std::remove(tmp.c_str());
        throw ToolError("cannot write " + path + ": " + std::strerror(e));
    }
}

} // namespace quillet::tools
