/* Writes the benchmark's large workbook: 200,000 rows by 10 columns of
 * numbers, shared strings, dates, a formula column with cached values and a
 * few number formats.
 * usage: large_xlsx OUT.xlsx [ROWS] */
#include <stdio.h>
#include <stdlib.h>
#include <xlsxwriter.h>

static const char* kCategories[] = {"Hardware", "Software", "Services", "Training", "Support",
                                    "Licences", "Travel",   "Office",   "Research", "Marketing"};

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s OUT.xlsx [ROWS]\n", argv[0]);
        return 2;
    }
    const long rows = argc > 2 ? atol(argv[2]) : 200000;
    lxw_workbook* wb = workbook_new(argv[1]);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    format_set_bottom(bold, LXW_BORDER_THIN);
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    lxw_format* pct = workbook_add_format(wb);
    format_set_num_format(pct, "0.0%");
    lxw_format* time = workbook_add_format(wb);
    format_set_num_format(time, "hh:mm");

    const char* heads[] = {"Id",    "Customer", "Date",     "Category", "Quantity",
                           "Price", "Total",    "Discount", "Time",     "Note"};
    for (int c = 0; c < 10; ++c) worksheet_write_string(ws, 0, c, heads[c], bold);
    worksheet_set_column(ws, 1, 1, 18, NULL);
    worksheet_set_column(ws, 9, 9, 30, NULL);

    char buf[64], formula[64];
    unsigned seed = 12345;
    for (long r = 1; r <= rows; ++r) {
        seed = seed * 1103515245u + 12345u;
        const unsigned x = seed >> 8;
        const double qty = 1 + x % 50, price = (x % 100000) / 100.0;
        worksheet_write_number(ws, r, 0, (double)r, NULL);
        snprintf(buf, sizeof buf, "Customer %u", x % 5000);
        worksheet_write_string(ws, r, 1, buf, NULL);
        worksheet_write_number(ws, r, 2, 43831 + (double)(x % 1500), date);
        worksheet_write_string(ws, r, 3, kCategories[x % 10], NULL);
        worksheet_write_number(ws, r, 4, qty, NULL);
        worksheet_write_number(ws, r, 5, price, money);
        snprintf(formula, sizeof formula, "=E%ld*F%ld", r + 1, r + 1);
        worksheet_write_formula_num(ws, r, 6, formula, money, qty * price);
        worksheet_write_number(ws, r, 7, (x % 30) / 100.0, pct);
        worksheet_write_number(ws, r, 8, (x % 1440) / 1440.0, time);
        snprintf(buf, sizeof buf, "Order note %u", x % 20000);
        worksheet_write_string(ws, r, 9, buf, NULL);
    }
    const lxw_error err = workbook_close(wb);
    if (err) {
        fprintf(stderr, "%s: %s\n", argv[1], lxw_strerror(err));
        return 1;
    }
    return 0;
}
