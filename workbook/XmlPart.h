#pragma once

#include "workbook/ZipPackage.h"

#include <string>
#include <string_view>

namespace workbook {

// The attributes of an element as the XML parser hands them over.
class XmlAttributes
{
public:
    XmlAttributes(const unsigned char** values, int count) : m_values(values), m_count(count) {}
    // The value of the attribute of that local name (any prefix); empty when it has none.
    std::string_view Raw(std::string_view localName) const;
    // The same with every character reference resolved.
    std::string Value(std::string_view localName) const;

private:
    const unsigned char** m_values;
    int m_count;
};

// What a reader does with the elements of one XML member of a package, met in
// document order. Elements are named by their local names.
class XmlPart
{
public:
    virtual ~XmlPart() = default;
    virtual void Start(std::string_view name, const XmlAttributes& attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view) {}
};

// Walks the member `name` of the package through `part` as it is inflated;
// false when the package has no such member. XML that is not well-formed
// refuses the package with `notThisKind`.
bool ParseXmlMember(const ZipPackage& package, const std::string& name, XmlPart& part,
                    const char* notThisKind);

// The same over bytes in memory.
void ParseXml(std::string_view xml, XmlPart& part, const char* notThisKind);

} // namespace workbook
