// Collects everything written to file descriptor 2 while it lives.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

class StderrCapture {
  public:
    StderrCapture() : file_(std::tmpfile()) {
        std::fflush(stderr);
        if (file_) {
            saved_ = dup(2);
            dup2(fileno(file_), 2);
        }
    }
    ~StderrCapture() {
        restore();
        if (file_) std::fclose(file_);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Stops collecting and returns what was written.
    std::string text() {
        restore();
        std::string out;
        if (!file_) return "<no capture file>";
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;)
            out += static_cast<char>(c);
        return out;
    }

  private:
    void restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_ = -1;
};
