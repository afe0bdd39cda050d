#include "export/write_chart.h"

#include "export/chart_files.h"

Status write_chart(const std::string& gif_path, std::span<const std::uint8_t> gif, std::span<const BesideFile> beside,
                   platform::DurableWrites* batch) {
    const auto write = [batch](const std::string& path, std::span<const std::uint8_t> bytes) {
        return batch ? batch->add(path, bytes) : platform::write_file_atomic(path, bytes);
    };
    if (Status s = write(gif_path, gif); !s) return s;
    for (const BesideFile& file : beside) {
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(file.text.data()), file.text.size());
        if (Status s = write(beside_name(gif_path, file.extension), bytes); !s) return s;
    }
    return Status::ok();
}
