// A plug-in's state as a CLAP host passes it: streams over a string that take or give at most a
// chosen number of bytes a call, as some hosts' streams do; a read may also fail from a chosen
// byte on, as a damaged file does.
#pragma once

#include <cstddef>
#include <string>

#include "plugin/clap/clap_abi.h"

// As many bytes a call as the plug-in asks for.
inline constexpr std::size_t kWholeStream = static_cast<std::size_t>(-1);

class ClapStateWriter {
  public:
    explicit ClapStateWriter(std::size_t piece = kWholeStream) : piece(piece) {}
    ClapStateWriter(const ClapStateWriter&) = delete;
    ClapStateWriter& operator=(const ClapStateWriter&) = delete;

    const clap::OutputStream* stream() const { return &output; }
    // What the plug-in wrote so far.
    const std::string& text() const { return written; }

  private:
    static std::int64_t ULVO_CLAP_CALL write(const clap::OutputStream* stream, const void* buffer,
                                             std::uint64_t size);

    std::size_t piece;
    std::string written;
    clap::OutputStream output{this, write};
};

class ClapStateReader {
  public:
    // Reads fail (-1) once they reach byte `failAt`; `text` must outlive the reader.
    explicit ClapStateReader(const std::string& text, std::size_t piece = kWholeStream,
                             std::size_t failAt = std::string::npos)
        : text(text), piece(piece), failAt(failAt) {}
    ClapStateReader(const ClapStateReader&) = delete;
    ClapStateReader& operator=(const ClapStateReader&) = delete;

    const clap::InputStream* stream() const { return &input; }

  private:
    static std::int64_t ULVO_CLAP_CALL read(const clap::InputStream* stream, void* buffer,
                                            std::uint64_t size);

    const std::string& text;
    std::size_t piece;
    std::size_t failAt;
    std::size_t position = 0;
    clap::InputStream input{this, read};
};
