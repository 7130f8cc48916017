#include "tests/support/RecordingMessageBoxes.h"

#include <QTest>

namespace {

QString describe(const RecordingMessageBoxes::Box& box) {
    using Kind = RecordingMessageBoxes::Kind;
    const char* kind = box.kind == Kind::Message ? "message"
                       : box.kind == Kind::Error ? "error"
                                                 : "question";
    return QStringLiteral("%1 \"%2\"").arg(QLatin1String(kind), box.text);
}

} // namespace

void RecordingMessageBoxes::message(const QString& text) {
    arrive({Kind::Message, text});
}

void RecordingMessageBoxes::error(const AppError& error) {
    arrive({Kind::Error, error.message(), error.code()});
}

bool RecordingMessageBoxes::question(const QString& text) {
    const Box box{Kind::Question, text};
    const bool expected = matched_ < expected_.size() && expected_[matched_] == box;
    const bool answer = expected && expected_[matched_].answer;
    arrive(box);
    return answer;
}

void RecordingMessageBoxes::arrive(const Box& box) {
    boxes_.append(box);
    if (matched_ < expected_.size() && expected_[matched_] == box) {
        ++matched_;
        return;
    }
    ++mismatches_;
    const QString wanted = matched_ < expected_.size() ? describe(expected_[matched_])
                                                       : QStringLiteral("no more boxes");
    const QString text =
        QStringLiteral("Unexpected box %1 (expected %2)").arg(describe(box), wanted);
    QTest::qFail(qPrintable(text), __FILE__, __LINE__);
}

bool RecordingMessageBoxes::verifyAllShown(const char* file, int line) {
    if (matched_ == expected_.size())
        return true;
    const QString text = QStringLiteral("Expected box %1 never came (%2 of %3 came)")
                             .arg(describe(expected_[matched_]))
                             .arg(matched_)
                             .arg(expected_.size());
    QTest::qFail(qPrintable(text), file, line);
    return false;
}
