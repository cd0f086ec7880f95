# The layers of the library, lowest first: the one place that says who may
# call whom. Each is a folder of src/ and a static library tpl_<folder>; a
# layer may use the layers below it and never one above. Both the build
# (layers.cmake) and the include check (check_layers.cmake) read this list.
#
#   sentences    what the system says: every sentence, caption and message
#   values       the Variant runtime under the Brazilian date and number rules
#   database     the access layer; the embedded SQLite engine (database/sqlite)
#                and the ODBC provider (database/odbc)
#   workbook     the .xlsx writer
#   mail         e-mail with an attachment, over SMTP or into a folder
#   conventions  what every routine follows: error traps, message log,
#                system parameters, SQL value and literal helpers
#   infra        value checks with the system's wording, identifier counters
#   output report templates   the subsystems
#   frame        the public class TPL and its method table
#   jobs         the background worker
#
# values, database, workbook and mail are our layer for the platform's
# interfaces: only they reach the outside world's libraries, and above them
# only the access layer's own headers, the workbook and the mail layers are
# visible.
set(TPL_LAYERS sentences values database workbook mail conventions infra output report templates
               frame jobs)
set(TPL_PLATFORM_LAYERS values database workbook mail)
# The host program sits on top and uses the public headers alone.
set(TPL_HOST_FOLDER host)
