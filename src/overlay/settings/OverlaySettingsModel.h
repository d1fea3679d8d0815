#pragma once

#include "overlay/settings/OverlaySettingsStoring.h"

#include <QObject>

#include <memory>

namespace veyra {

class UserDefaults;

// The overlay's background opacity and its two text sizes, for the whole process. Every
// value is kept inside its range: the opacity 0-90 in steps of 5, the sizes 8-72 points.
// A stored value outside its range is corrected at creation and written back; nothing is
// written for a value that was never stored.
class OverlaySettingsModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int backgroundOpacityPercent READ backgroundOpacityPercent NOTIFY backgroundOpacityPercentChanged)
    Q_PROPERTY(int sourceTextSizePoints READ sourceTextSizePoints NOTIFY sourceTextSizePointsChanged)
    Q_PROPERTY(int translationTextSizePoints READ translationTextSizePoints NOTIFY translationTextSizePointsChanged)

public:
    static constexpr int defaultBackgroundOpacityPercent = 55;
    static constexpr int defaultSourceTextSizePoints = 12;
    static constexpr int defaultTranslationTextSizePoints = 15;

    // The nearest multiple of 5 (halves away from zero) inside 0-90.
    static int normalizedBackgroundOpacityPercent(int percent);
    // Clamped to 8-72.
    static int normalizedTextSizePoints(int points);

    explicit OverlaySettingsModel(std::unique_ptr<OverlaySettingsStoring> store, QObject *parent = nullptr);

    int backgroundOpacityPercent() const { return m_backgroundOpacityPercent; }
    int sourceTextSizePoints() const { return m_sourceTextSizePoints; }
    int translationTextSizePoints() const { return m_translationTextSizePoints; }
    const OverlaySettingsStoring &store() const { return *m_store; }

    // Each normalises its value; a value equal to the current one changes and writes
    // nothing.
    void setBackgroundOpacityPercent(int percent);
    void setSourceTextSizePoints(int points);
    void setTranslationTextSizePoints(int points);

    // Removes the three stored values and announces the defaults, each even when it
    // already held it.
    void resetToDefaults();

Q_SIGNALS:
    void backgroundOpacityPercentChanged(int percent);
    void sourceTextSizePointsChanged(int points);
    void translationTextSizePointsChanged(int points);

private:
    // Publishes a normalised value that differs from the field's, then stores it.
    void assign(int &field, int value, void (OverlaySettingsModel::*changed)(int),
        void (OverlaySettingsStoring::*write)(std::optional<int>));

    std::unique_ptr<OverlaySettingsStoring> m_store;
    int m_backgroundOpacityPercent;
    int m_sourceTextSizePoints;
    int m_translationTextSizePoints;
};

// The model of the running application: in fixture mode over an empty in-memory store,
// otherwise over the user defaults.
std::unique_ptr<OverlaySettingsModel> makeOverlaySettingsModel(bool isUITesting, UserDefaults &defaults);

} // namespace veyra
