#pragma once
// The reader of the text form: its lines block by block into drafts of situations, then the
// drafts into the pair's bytes. Only the text form's own files include this header.

#include "authoring/TextForm.h"
#include "authoring/TextFormFields.h"

#include <QHash>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace TextFormParts {

// Where a choice leads, as a text gave it: by number, or by a name looked up at the end.
struct TargetRef {
    bool byName = false;
    QByteArray name;
    std::int32_t number = 0;
    int line = 0;
    int column = 0;
};

// A field as a block gave it.
struct FieldDraft {
    QByteArray text;
    QByteArray tail;
    int length = -1; // an explicit length byte above the capacity
    int tailLine = 0;
    int tailColumn = 0;
};

// A situation being read: its fields until the block ends.
struct Draft {
    int line = 0;
    std::array<FieldDraft, FieldCount> fields;
    std::optional<int> typ;
    std::array<std::optional<TargetRef>, 4> targets;
    decltype(TRekordKroku::Gap) gap{};
    std::optional<QByteArray> list;
};

// Reads a text once: every fault is listed with its line and column, each cause once.
class Reader {
public:
    explicit Reader(const QString& text);

    TextFormResult read();

private:
    // The lines and their blocks (TextFormReader.cpp).
    void error(int line, int column, const QString& message);
    void header(int line, const QString& text);
    std::optional<qlonglong> headerNumber(int line, const QString& text, const QString& number);
    void headerOutOfOrder(int line, qlonglong n, qlonglong expected);
    int fact(int i);
    void finish();

    // The value of each kind of fact (TextFormFacts.cpp).
    void typ(int line, int column, const QString& value);
    std::optional<QByteArray> bytesOf(int line, int column, const QString& value, int f);
    void setText(int line, int column, const QString& value, int f);
    void choice(int line, int column, const QString& value, int f);
    std::optional<TargetRef> targetRef(int line, int column, const QString& where);
    void length(int line, int column, const QString& value, int f);
    void tail(int line, int column, const QString& value, int f);
    std::optional<QByteArray> rawBytes(int line, int column, const QString& value, int size);
    bool rawFact(int line, int column, const QString& key, const QString& value);

    // The description's lines (TextFormFacts.cpp).
    int description(int i, const QString& value);
    int skipDescription(int i) const;
    static QString notIndented(const QString& line);
    static bool isFact(const QString& line);

    // The drafts as records (TextFormRecords.cpp).
    PairBytes build();
    TRekordKroku record(std::int32_t k, const QHash<QByteArray, QList<int>>& byName);
    void resolve(const TargetRef& ref, LeInt32& to, const QHash<QByteArray, QList<int>>& byName);

    QStringList lines_;
    std::optional<Draft> draft_;
    qlonglong expected_ = 0;   // the number the next header should have
    QHash<QString, int> seen_; // the first line of each key of the block being read
    std::vector<Draft> drafts_;
    std::vector<TextFormError> errors_;
};

} // namespace TextFormParts
