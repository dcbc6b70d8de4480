#include "PrintCommand.h"

#include "widgets/DesktopServices.h"

#include <QTreeWidget>

namespace vs {

void Print_doc(const ReportTableSource &list, PrintFields &fields, QWidget *parent,
               const PrintServices &services)
{
    fields = PrintFields{};
    {
        Form4 dialog(fields, services.today, parent);
        if (services.runDialog)
            services.runDialog(dialog);
        else
            dialog.exec();
    }
    fields.nam_files = fields.nam_files.trimmed();
    if (!fields.flag_printer)
        return;

    ReportOutput output;
    if (services.place)
        output.place = *services.place;
    output.boxes = services.boxes;
    output.openPreview = services.openPreview;
    output.parent = parent;
    WriteHtmlReport(list(), fields.titles1, fields.titles2, fields.titles3, fields.nam_files,
                    output);
}

void PrintCommand(bool scanRunning, const ReportTableSource &list, PrintFields &fields,
                  QWidget *parent, const PrintServices &services)
{
    if (scanRunning || list().rows.empty()) {
        MessageBoxes &boxes = services.boxes ? *services.boxes : DefaultMessageBoxes();
        boxes.show(parent, QStringLiteral("Нет данных для печати!"), QStringLiteral("Печать"),
                   MessageBoxes::Icon::Information);
        return;
    }
    Print_doc(list, fields, parent, services);
}

void PrintCommand(bool scanRunning, const QTreeWidget &list,
                  const std::function<float(int column)> &widthTwips, PrintFields &fields,
                  QWidget *parent, const PrintServices &services)
{
    PrintCommand(
        scanRunning, [&list, &widthTwips] { return ReportTableFromList(list, widthTwips); }, fields,
        parent, services);
}

} // namespace vs
