#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace veyra {

// The most attributes one element of the update feed may have (namespace declarations
// included), and the most namespace declarations in scope at once (on an element and the
// elements around it). A feed has a handful of each.
inline constexpr int maximumFeedAttributesPerElement = 64;
inline constexpr int maximumFeedNamespaceDeclarationsInScope = 64;

// Whether `character` is one of the four that XML takes for white space.
inline bool isXmlSpace(QChar character)
{
    return character == u' ' || character == u'\t' || character == u'\n' || character == u'\r';
}

// Why the markup of the feed's text is refused before Qt's XML reader reads it, or nothing.
// Qt's reader checks each attribute of an element against every earlier one, looks each
// prefix up among every namespace declaration in scope and each element up among every
// attribute a document type declares: a few hundred kilobytes of such markup take it
// minutes. Refused are an element with more than maximumFeedAttributesPerElement
// attributes, more than maximumFeedNamespaceDeclarationsInScope namespace declarations in
// scope, declarations inside a document type ("<!DOCTYPE rss [...]>": entities and
// attribute defaults, which no feed needs and whose expansions no scan ahead could see),
// and markup that is not well-formed where the scan reads it (Qt's reader would refuse it
// there too). Within these bounds Qt's reader takes time in proportion to the text.
//
// One pass over the text, in time in proportion to its length (a few milliseconds for
// 4 MiB). Where the text ends inside markup, the scan ends too: Qt's reader refuses it.
std::optional<QString> refusedFeedMarkup(QStringView text);

} // namespace veyra
