#pragma once

#include "workbook/ZipPackage.h"

#include <string>
#include <string_view>

namespace workbook {

// The attributes of an element as the XML parser hands them over, with the
// namespace of the element itself.
class XmlAttributes
{
public:
    XmlAttributes(const unsigned char** values, int count, std::string_view elementNamespace = {})
        : m_values(values), m_count(count), m_elementNamespace(elementNamespace)
    {
    }
    // The value of the attribute of that local name, with any prefix or, when
    // `ns` is given, in that namespace alone; empty when it has none.
    std::string_view Raw(std::string_view localName, std::string_view ns = {}) const;
    // The same with every character reference resolved.
    std::string Value(std::string_view localName, std::string_view ns = {}) const;
    // Whether the element has that attribute, even an empty one.
    bool Has(std::string_view localName, std::string_view ns = {}) const { return Find(localName, ns) >= 0; }
    // The namespace name of the element (empty for none).
    std::string_view ElementNamespace() const { return m_elementNamespace; }

private:
    // The number of the attribute; -1 when there is none.
    int Find(std::string_view localName, std::string_view ns) const;

    const unsigned char** m_values;
    int m_count;
    std::string_view m_elementNamespace;
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
    // When the reader tells elements apart by their namespaces, a prefix that
    // names no namespace, or a name with a stray colon, refuses the XML as not
    // well-formed.
    virtual bool NamespacesMatter() const { return false; }

    // True once the reader has all it wants: the rest of the member is
    // neither inflated nor parsed, nor checked.
    bool Finished() const { return m_finished; }

protected:
    void Finish() { m_finished = true; }

private:
    bool m_finished = false;
};

// Walks the member `name` of the package through `part` as it is inflated;
// false when the package has no such member. XML that is not well-formed
// refuses the package with `notThisKind`.
bool ParseXmlMember(const ZipPackage& package, const std::string& name, XmlPart& part,
                    const char* notThisKind);

// The same over bytes in memory.
void ParseXml(std::string_view xml, XmlPart& part, const char* notThisKind);

} // namespace workbook
