#include "host/clap_state_streams.h"

#include <algorithm>
#include <cstring>

std::int64_t ULVO_CLAP_CALL ClapStateWriter::write(const clap::OutputStream* stream,
                                                   const void* buffer, std::uint64_t size) {
    auto& self = *static_cast<ClapStateWriter*>(stream->ctx);
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, self.piece));
    self.written.append(static_cast<const char*>(buffer), count);
    return static_cast<std::int64_t>(count);
}

std::int64_t ULVO_CLAP_CALL ClapStateReader::read(const clap::InputStream* stream, void* buffer,
                                                  std::uint64_t size) {
    auto& self = *static_cast<ClapStateReader*>(stream->ctx);
    if (self.position >= self.failAt) return -1;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(
        {size, self.piece, self.text.size() - self.position, self.failAt - self.position}));
    std::memcpy(buffer, self.text.data() + self.position, count);
    self.position += count;
    return static_cast<std::int64_t>(count);
}
