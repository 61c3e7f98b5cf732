#pragma once

#include <QColor>
#include <QObject>

#include <cstdint>
#include <vector>

#include "ColorizerConstants.h"

// Turns one scalar pixel value (distance, amplitude or grayscale level) into a colour.
// The colour table is computed once; per value the work is one subtraction, one
// multiplication and one table read. For 16-bit values a per-range lookup table
// removes even that, which is what the image builders use.
class ImageColorizer : public QObject {
    Q_OBJECT
public:
    explicit ImageColorizer(QObject* parent = nullptr);
    ~ImageColorizer() override;

    void setRange(int lower, int upper);
    int lower() const { return lower_; }
    int upper() const { return upper_; }
    double colourScale() const { return colourScale_; }
    double grayScale() const { return grayScale_; }

    // Colour of a value in kModeColor (2) or kModeGray (0); any other mode is treated as 2.
    QColor colorOf(uint32_t value, int mode) const;
    // The same colour packed as 0x00RRGGBB.
    uint32_t rgbOf(uint32_t value, int mode) const;

    // Entry of the colour table, index clamped to the table.
    QColor tableColor(int index) const;
    uint32_t tableRgb(int index) const;

    // Packed colours of every value 0..65535 for the current range and the given mode;
    // rebuilt only when the range or mode differs from the last build.
    const uint32_t* lookup16(int mode);

    static constexpr uint32_t kLookupSize = 65536;

private:
    uint32_t colorScaleRgb(uint32_t value) const;
    uint32_t grayScaleRgb(uint32_t value) const;

    std::vector<uint32_t> table_;
    int lower_ = 0;
    int upper_ = 0;
    double colourScale_ = 0.0;
    double grayScale_ = 0.0;

    struct Lookup {
        std::vector<uint32_t> rgb;
        int lower = 0;
        int upper = 0;
        bool valid = false;
    };
    Lookup colorLookup_;
    Lookup grayLookup_;
};
