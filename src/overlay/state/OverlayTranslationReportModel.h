#pragma once

#include "translation/reports/TranslationReportTarget.h"

#include <QObject>
#include <QVector>

#include <functional>
#include <optional>

namespace veyra {

// The state behind the report popover: the user picks a translated row, reviews it and
// reports its translation. The model only hands the confirmed target to onSubmit; the
// outcome comes back through submissionFailed() or the popover being closed.
class OverlayTranslationReportModel : public QObject
{
    Q_OBJECT

public:
    // The screen shown: the list of targets, or the review of one.
    class Screen
    {
    public:
        static Screen list() { return Screen(std::nullopt); }
        static Screen confirmation(TranslationReportTarget target) { return Screen(std::move(target)); }

        bool isList() const { return !m_target; }
        // The target under review; nothing on the list.
        const std::optional<TranslationReportTarget> &confirmedTarget() const { return m_target; }

        bool operator==(const Screen &) const = default;

    private:
        explicit Screen(std::optional<TranslationReportTarget> target)
            : m_target(std::move(target))
        { }

        std::optional<TranslationReportTarget> m_target;
    };

    using SubmitHandler = std::function<void(const TranslationReportTarget &)>;

    // "Couldn't report this translation. Try again later."
    static QString failureText();

    explicit OverlayTranslationReportModel(QVector<TranslationReportTarget> targets, QObject *parent = nullptr);

    const QVector<TranslationReportTarget> &targets() const { return m_targets; }
    const Screen &screen() const { return m_screen; }
    bool isSubmitting() const { return m_isSubmitting; }
    // The failure message while the last submission's failure shows, worded in the
    // interface language of the moment it is read.
    std::optional<QString> failureMessage() const
    {
        return m_hasFailed ? std::optional<QString>(failureText()) : std::nullopt;
    }

    const SubmitHandler &onSubmit() const { return m_onSubmit; }
    void setOnSubmit(SubmitHandler handler) { m_onSubmit = std::move(handler); }

    // Each is ignored while a submission runs.
    void select(const TranslationReportTarget &target);
    void showList();
    // Hands a listed target to onSubmit and waits for the outcome. Without a handler the
    // submission fails at once.
    void submit(const TranslationReportTarget &target);

    // The report of the target under review failed: submitting ends and the failure
    // message shows. Ignored for any other target.
    void submissionFailed(const TranslationReportTarget &target);

Q_SIGNALS:
    void screenChanged();
    void isSubmittingChanged();
    void failureMessageChanged();

private:
    void setScreen(Screen screen);
    void setSubmitting(bool submitting);
    void setFailed(bool failed);

    QVector<TranslationReportTarget> m_targets;
    Screen m_screen = Screen::list();
    bool m_isSubmitting = false;
    bool m_hasFailed = false;
    SubmitHandler m_onSubmit;
};

} // namespace veyra
