#pragma once

#include "ListProblem.h"
#include "PlaySource.h"

#include <QByteArray>
#include <QString>


// The bound on a list by address, as fetched and as inflated: the largest
// public lists and provider accounts are a few MB (100,000 entries are about
// 10 MB); anything much larger is not a list (a stream, a film) and would only
// fill memory.
constexpr qint64 kListSizeBound = qint64(64) * 1024 * 1024;

// What came back, as it was judged.
struct FetchedList {
    ListProblem problem = ListProblem::None;
    QByteArray bytes;    // the list's bytes, inflated (what is kept)
    PlaySourceFile file; // its entries, when taken
    bool taken() const { return problem == ListProblem::None; }
};

// Inflates a gzip body, recognised by its first bytes whatever its name or
// headers said; other bytes come back as they are. A stream that stops short
// is CutOff, one over `bound` TooLarge.
ListProblem inflateIfGzip(QByteArray& bytes, qint64 bound = kListSizeBound);

// Judges a fetched body: taken only when it reads as a list (an M3U list, or
// a text list with at least one entry). Relative addresses in it resolve
// against `address`, the list's own.
FetchedList judgeFetchedList(QByteArray body, const QString& address);

// A list's bytes already taken once (a kept copy), read as judgeFetchedList reads them.
PlaySourceFile readListBytes(const QByteArray& bytes, const QString& address);
