#include "reports/xls/ole.h"
#include "reports/xls/workbook.h"

#include <QFile>
#include <QFileInfo>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-structured-blob.h>
#include <gsf/gsf-utils.h>

#include <vector>

namespace xls::ole {

namespace {

// A workbook stream larger than this is not a report template.
constexpr gsf_off_t maxStreamSize = 256 * 1024 * 1024;

const char* const workbookNames[] = {"Workbook", "WORKBOOK", "workbook", "Book"};

template <class T> struct Unref {
    void operator()(T* p) const {
        if (p)
            g_object_unref(p);
    }
};
template <class T> using GPtr = std::unique_ptr<T, Unref<T>>;

QString errorText(GError* err) {
    QString text = err && err->message ? QString::fromUtf8(err->message) : QString();
    if (err)
        g_error_free(err);
    return text;
}

void ensureGsf() {
    static const bool done = [] {
        gsf_init();
        return true;
    }();
    (void)done;
}

bool isWorkbookName(const char* name) {
    for (const char* n : workbookNames)
        if (name && g_strcmp0(name, n) == 0)
            return true;
    return false;
}

} // namespace

struct Extras {
    std::vector<GsfStructuredBlob*> blobs;
    ~Extras() {
        for (auto* b : blobs)
            g_object_unref(b);
    }
};

// libgsf reports a damaged file on stderr as well; the caller gets our own error instead.
class QuietGsf {
public:
    QuietGsf() {
        for (const char* domain : domains)
            ids_.push_back(g_log_set_handler(
                domain, GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr));
    }
    ~QuietGsf() {
        for (size_t i = 0; i < ids_.size(); ++i)
            g_log_remove_handler(domains[i], ids_[i]);
    }

private:
    static constexpr const char* domains[] = {"libgsf:msole", "libgsf"};
    std::vector<guint> ids_;
};

Contents read(const QString& path) {
    ensureGsf();
    const QuietGsf quiet;
    const QString shown = QFileInfo(path).fileName();
    if (!QFileInfo(path).isFile())
        throw Error(QStringLiteral("找不到工作簿文件“%1”。").arg(path));
    GError* err = nullptr;
    GPtr<GsfInput> input(gsf_input_stdio_new(QFile::encodeName(path).constData(), &err));
    if (!input)
        throw Error(QStringLiteral("无法读取工作簿文件“%1”：%2").arg(path, errorText(err)));
    GPtr<GsfInfile> infile(gsf_infile_msole_new(input.get(), &err));
    if (!infile) {
        errorText(err);
        throw Error(QStringLiteral("“%1”不是Excel 97-2003工作簿（不是OLE2复合文档），无法打开。")
                        .arg(shown));
    }
    Contents contents;
    contents.extras = std::make_shared<Extras>();
    bool found = false;
    const int n = gsf_infile_num_children(infile.get());
    for (int i = 0; i < n; ++i) {
        const char* name = gsf_infile_name_by_index(infile.get(), i);
        GPtr<GsfInput> child(gsf_infile_child_by_index(infile.get(), i));
        if (!child)
            throw Error(QStringLiteral("工作簿文件“%1”已损坏：无法读取其中的数据流。").arg(shown));
        if (!found && isWorkbookName(name) &&
            !(GSF_IS_INFILE(child.get()) &&
              gsf_infile_num_children(GSF_INFILE(child.get())) >= 0)) {
            const gsf_off_t size = gsf_input_size(child.get());
            if (size < 0 || size > maxStreamSize)
                throw Error(QStringLiteral("工作簿文件“%1”过大或已损坏。").arg(shown));
            QByteArray data(qsizetype(size), Qt::Uninitialized);
            if (size > 0 &&
                !gsf_input_read(child.get(), size, reinterpret_cast<guint8*>(data.data())))
                throw Error(QStringLiteral("工作簿文件“%1”已损坏或被截断：无法读出工作簿数据流。")
                                .arg(shown));
            contents.workbook = data;
            found = true;
            continue;
        }
        if (isWorkbookName(name))
            continue; // a second workbook stream would only confuse readers
        GsfStructuredBlob* blob = gsf_structured_blob_read(child.get());
        if (blob)
            contents.extras->blobs.push_back(blob);
    }
    if (!found)
        throw Error(
            QStringLiteral("“%1”中没有Excel工作簿数据（Workbook数据流），不是Excel 97-2003工作簿。")
                .arg(shown));
    return contents;
}

void write(const QString& path, const QByteArray& workbook, const Extras* extras) {
    ensureGsf();
    GError* err = nullptr;
    GPtr<GsfOutput> output(gsf_output_stdio_new(QFile::encodeName(path).constData(), &err));
    if (!output)
        throw Error(QStringLiteral("无法写入文件“%1”：%2").arg(path, errorText(err)));
    GPtr<GsfOutfile> outfile(gsf_outfile_msole_new(output.get()));
    if (!outfile)
        throw Error(QStringLiteral("无法写入文件“%1”。").arg(path));
    // The CLSID by which Excel knows its workbooks.
    static const guint8 excelClsid[16] = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(outfile.get()), excelClsid);
    bool ok = true;
    {
        GPtr<GsfOutput> child(gsf_outfile_new_child(outfile.get(), "Workbook", FALSE));
        ok = child && gsf_output_write(child.get(), size_t(workbook.size()),
                                       reinterpret_cast<const guint8*>(workbook.constData()));
        if (child)
            ok = gsf_output_close(child.get()) && ok;
    }
    if (ok && extras)
        for (auto* blob : extras->blobs)
            ok = gsf_structured_blob_write(blob, outfile.get()) && ok;
    ok = gsf_output_close(GSF_OUTPUT(outfile.get())) && ok;
    outfile.reset();
    if (!gsf_output_is_closed(output.get()))
        ok = gsf_output_close(output.get()) && ok;
    const GError* e = gsf_output_error(output.get());
    QString reason = e && e->message ? QString::fromUtf8(e->message) : QString();
    if (!ok)
        throw Error(QStringLiteral("无法写入文件“%1”%2")
                        .arg(path, reason.isEmpty() ? QStringLiteral("。")
                                                    : QStringLiteral("：") + reason));
}

} // namespace xls::ole
