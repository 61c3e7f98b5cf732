#include "export/FrameCsv.h"

#include <charconv>
#include <cstdio>
#include <fstream>

#include "export/ExportConstants.h"
#include "mvsdk/Frame.h"

namespace Movoda::exporters {

namespace {

constexpr uint8_t kFlagDistance = 1;
constexpr uint8_t kFlagAmplitude = 2;
constexpr uint8_t kFlagGrayscale = 8;

void appendNumber(std::string& line, uint32_t value) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    line.append(digits, end);
    line += ',';
}

void writeColumnTitle(std::ostream& out, const char* title, uint16_t width) {
    std::string line = title;
    for (uint32_t c = 0; c < width; ++c) appendNumber(line, c);
    line += '\n';
    out << line;
}

template <typename T>
void writeRows(std::ostream& out, const T* plane, uint16_t width, uint16_t height) {
    std::string line;
    for (uint32_t r = 0; r < height; ++r) {
        line.clear();
        appendNumber(line, r);
        const T* row = plane + static_cast<size_t>(r) * width;
        for (uint16_t c = 0; c < width; ++c) appendNumber(line, row[c]);
        line += '\n';
        out << line;
    }
}

}  // namespace

CsvTables csvTablesOf(const Frame& frame) {
    CsvTables t;
    switch (frame.dataType()) {
        case kKindDistanceAmplitude:
            t.distance = t.amplitude = true;
            break;
        case kKindDistance:
            t.distance = true;
            break;
        case kKindGrayscale:
            t.grayscale = true;
            break;
        default:
            t.distance = t.amplitude = t.grayscale = true;
    }
    // Only planes the frame carries can be written (the others hold zeros).
    const uint8_t flags = frame.dataFlags();
    const size_t pixels = static_cast<size_t>(frame.width()) * frame.height();
    const bool enough = pixels > 0 && frame.pixelCount() >= pixels;
    t.distance = t.distance && enough && (flags & kFlagDistance) && frame.distancePlane();
    t.amplitude = t.amplitude && enough && (flags & kFlagAmplitude) && frame.amplitudePlane();
    t.grayscale = t.grayscale && enough && (flags & kFlagGrayscale) && frame.grayscalePlane();
    return t;
}

bool writeFrameCsv(std::ostream& out, const Frame& frame, std::string& why) {
    const CsvTables tables = csvTablesOf(frame);
    if (!tables.any()) {
        why = "the frame holds no distance, amplitude or grayscale table";
        return false;
    }
    const uint16_t width = frame.width();
    const uint16_t height = frame.height();
    if (tables.distance) {
        writeColumnTitle(out, kCsvDistanceTitle, width);
        writeRows(out, frame.distancePlane(), width, height);
    }
    if (tables.amplitude) {
        if (tables.distance) {
            for (int k = 0; k < kCsvBlankLinesBeforeAmplitude; ++k) out << '\n';
        }
        out << kCsvAmplitudeTitle;
        writeRows(out, frame.amplitudePlane(), width, height);
    }
    if (tables.grayscale) {
        writeColumnTitle(out, kCsvGrayscaleTitle, width);
        writeRows(out, frame.grayscalePlane(), width, height);
    }
    out.flush();
    if (!out) {
        why = "the table could not be written in full";
        return false;
    }
    return true;
}

bool writeFrameCsvFile(const std::string& path, const Frame& frame, std::string& why) {
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    if (!out) {
        why = "cannot create " + path;
        return false;
    }
    bool ok = writeFrameCsv(out, frame, why);
    out.close();
    if (ok && !out) {
        why = "cannot write " + path;
        ok = false;
    }
    if (!ok) std::remove(path.c_str());  // no half table left behind
    return ok;
}

}  // namespace Movoda::exporters
