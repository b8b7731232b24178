#include "read_floor.h"

#include <zip.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace sorvane::bench {

double libzipReadFloor(const std::string& path, size_t& bytesRead) {
    const auto start = std::chrono::steady_clock::now();
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    std::vector<uint8_t> buffer(5760);
    bytesRead = 0;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const std::string name = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        const size_t length = name.ends_with(".v30") ? 2880 : 5760;
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        size_t got = 0;
        while (file != nullptr && got < length) {
            const zip_int64_t n = zip_fread(file, buffer.data() + got, length - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        bytesRead += got;
        if (file != nullptr) zip_fclose(file);
    }
    zip_discard(archive);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace sorvane::bench
