// Any stored metadata UI info (key, a NUL byte, value) into the reader: a field description or
// none, never a crash. A description read back is written again as a key that reads back to the
// same description, and its content is checked as the field would check it.

#include "setup/MetaDataUiInfo.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString key = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString value = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));

    const std::optional<tvp::CTT_MetaDataItem> item = tvp::metaDataItemFromUiInfo(key, value);
    if (!item)
        return 0;
    tvp::metaDataContentValid(item->dataType, item->DefaultValue, item->IsMandatoryField);
    tvp::isComponentName(item->ID);
    if (item->dataType == tvp::mdt_Date && !tvp::metaDataDateFromContent(item->DefaultValue))
        std::abort();
    // Only an ID without "_" comes back whole; the reader ends it at the first one.
    if (item->ID.contains(u'_'))
        return 0;
    const QString again =
        tvp::metaDataUiInfoName(item->ID, item->DisplayName, item->IsMandatoryField, item->isReadOnly);
    const std::optional<tvp::CTT_MetaDataItem> back = tvp::metaDataItemFromUiInfo(again, value);
    if (!back || back->ID != item->ID || back->DisplayName != item->DisplayName ||
        back->IsMandatoryField != item->IsMandatoryField || back->isReadOnly != item->isReadOnly ||
        back->dataType != item->dataType || back->DefaultValue != item->DefaultValue)
        std::abort();
    return 0;
}
