#!/usr/bin/env python3
"""Writes sample-device.json, the text definitions of a small Orvane display device (a temperature
controller with two control channels), in the JSON form that `strdef build` turns into a .strdef
file. The texts are listed here once, block by block; run the script again after changing them.

    python3 examples/make_sample_json.py            # writes examples/sample-device.json
    strdef build examples/sample-device.json -o sample-device.strdef
"""

import json
import pathlib

FIRMWARE_VERSION = 0x0112  # shown as 1.12

# Special characters of the device font: the inverted and normal codes switch the colours of what
# follows, the arrows and the check mark are drawn by the device.
INV, NORM, WILD = "\u0008", "\u0007", "\u25a1"
UP, RIGHT, DOWN, LEFT = "\u25b2", "\u25ba", "\u25bc", "\u25c4"
CHECK, UPDOWN, NOTE = "\u2194", "\u2195", "\u266a"
CRLF = "\r\n"

# A text: (identifier, default text, German translation, description).
#   translation None: not translated yet (empty, not marked)
#   translation "":   marked translated but blank, which the editor unmarks when it shows the text
# Texts whose translation begins with "~" are translated but not marked yet (work in progress).


def T(identifier, default, german=None, description=""):
    return (identifier, default, german, description)


MAIN_MENU = [
    T("MENU_MAIN", "Main menu", "Hauptmenü", "Title of the main menu, max. 16 characters"),
    T("MENU_SETTINGS", "Settings", "Einstellungen", "Menu entry"),
    T("MENU_ALARMS", "Alarms", "Alarme", "Menu entry"),
    T("MENU_SERVICE", "Service", "Service", "Menu entry, needs the service code"),
    T("MENU_INFO", "Information", "Information", "Menu entry"),
    T("MENU_LANGUAGE", "Language", "Sprache", "Menu entry; always shown in English as well"),
    T("MENU_BACK", LEFT + " Back", LEFT + " Zurück", "Soft key, arrow drawn by the device"),
    T("MENU_ENTER", "Enter " + RIGHT, "Öffnen " + RIGHT, "Soft key"),
    T("MENU_SAVE", "Save", "Speichern", "Soft key"),
    T("MENU_CANCEL", "Cancel", "Abbrechen", "Soft key"),
    T("MENU_YES", "Yes", "Ja", "Answer to a question"),
    T("MENU_NO", "No", "Nein", "Answer to a question"),
    T("MENU_OK", "OK", "OK", "Confirmation"),
    T("MENU_HINT_SELECT", UP + DOWN + " select  " + RIGHT + " open", UP + DOWN + " wählen  " + RIGHT + " öffnen",
      "Help line at the bottom of every menu; the arrows are device symbols"),
    T("MENU_HINT_CHANGE", UP + DOWN + " change  " + CHECK + " confirm", UP + DOWN + " ändern  " + CHECK + " bestätigen",
      "Help line while a value is edited"),
    T("MENU_FAVOURITES", "Favourites", None, "Menu entry, new in 1.12"),
]

DISPLAY = [
    T("SET_DISPLAY", "Display", "Anzeige", "Settings group"),
    T("SET_BRIGHTNESS", "Brightness", "Helligkeit", "Value 10-100 %"),
    T("SET_CONTRAST", "Contrast", "Kontrast", "Value 0-15"),
    T("SET_BACKLIGHT", "Backlight off after", "Beleuchtung aus nach", "Followed by a time in minutes"),
    T("SET_BACKLIGHT_NEVER", "never", "nie", "Value of the backlight time"),
    T("SET_INVERT", "Inverted display", "Invertierte Anzeige", "On/off"),
    T("SET_ROTATE", "Rotate by 180°", "Um 180° drehen", "On/off, for upside-down mounting"),
    T("SET_BIG_DIGITS", "Large digits", "Große Ziffern", "On/off"),
    T("SET_SHOW_CLOCK", "Show clock", "Uhr anzeigen", "On/off"),
    T("SET_SHOW_SECOND", "Show second channel", "  ", "On/off"),
    T("SET_SCREENSAVER", "Screen saver", "Bildschirmschoner", "On/off"),
    T("SET_KEY_BEEP", NOTE + " Key beep", NOTE + " Tastenton", "On/off; the note is a device symbol"),
]

CONTROL = [
    T("SET_CONTROL", "Control", "Regelung", "Settings group"),
    T("SET_SETPOINT", "Setpoint", "Sollwert", "Temperature the controller keeps"),
    T("SET_SETPOINT_2", "Second setpoint", "Zweiter Sollwert", "Used while the digital input is closed"),
    T("SET_HYSTERESIS", "Hysteresis", "Hysterese", "Switching difference, shown with ±"),
    T("SET_MODE", "Operating mode", "Betriebsart", "Heading of the mode list"),
    T("SET_MODE_HEAT", "Heating", "Heizen", "Mode"),
    T("SET_MODE_COOL", "Cooling", "Kühlen", "Mode"),
    T("SET_MODE_AUTO", "Automatic", "Automatik", "Mode: heating or cooling as needed"),
    T("SET_PBAND", "Proportional band", "Proportionalband", "PID parameter Xp"),
    T("SET_INTEGRAL", "Integral time", "Nachstellzeit", "PID parameter Tn in seconds"),
    T("SET_DERIVATIVE", "Derivative time", "Vorhaltzeit", "PID parameter Tv in seconds"),
    T("SET_CYCLE", "Cycle time", "Zykluszeit", "Output cycle for relays"),
    T("SET_MIN_ON", "Minimum on time", "~Mindesteinschaltzeit", "Compressor protection"),
    T("SET_MIN_OFF", "Minimum off time", "~Mindestausschaltzeit", "Compressor protection"),
    T("SET_OFFSET", "Sensor offset", "Fühlerkorrektur", "Added to the measured value"),
    T("SET_LIMIT_LOW", "Lowest setpoint", "Kleinster Sollwert", "Limits what users may set"),
    T("SET_LIMIT_HIGH", "Highest setpoint", "Größter Sollwert", "Limits what users may set"),
    T("SET_AUTOTUNE", "Self-tuning", "Selbstoptimierung", "Starts the PID self-tuning"),
    T("SET_AUTOTUNE_RUN", "Self-tuning" + CRLF + "running...", "Selbstoptimierung" + CRLF + "läuft...",
      "Two lines, shown during self-tuning"),
    T("SET_DEFROST", "Defrost", "Abtauen", "Settings group"),
    T("SET_DEFROST_INTERVAL", "Defrost interval", "Abtauintervall", "Hours between two defrost cycles"),
    T("SET_DEFROST_END", "Defrost end temperature", "Abtauende-Temperatur", "Temperature that ends defrosting"),
    T("SET_DEFROST_MAX", "Maximum defrost time", None, "Minutes"),
    T("SET_DRIP_TIME", "Drip time", None, "Minutes after defrosting before cooling restarts"),
]

COMMUNICATION = [
    T("SET_COMM", "Communication", "Kommunikation", "Settings group"),
    T("SET_ADDRESS", "Modbus address", "Modbus-Adresse", "1-247"),
    T("SET_BAUD", "Baud rate", "Baudrate", "Heading of the baud rate list"),
    T("SET_PARITY", "Parity", "Parität", "Heading of the parity list"),
    T("SET_PARITY_NONE", "none", "keine", "Parity value"),
    T("SET_PARITY_EVEN", "even", "gerade", "Parity value"),
    T("SET_PARITY_ODD", "odd", "ungerade", "Parity value"),
    T("SET_STOP_BITS", "Stop bits", "Stoppbits", "1 or 2"),
    T("SET_COMM_TIMEOUT", "Communication timeout", None, "Seconds without a request before the alarm"),
    T("SET_COMM_OK", "Connected", "Verbunden", "Status"),
    T("SET_COMM_LOST", "No connection", "Keine Verbindung", "Status"),
]

DATE_TIME = [
    T("SET_DATE_TIME", "Date and time", "Datum und Uhrzeit", "Settings group"),
    T("SET_DATE", "Date", "Datum", "Editing the date"),
    T("SET_TIME", "Time", "Uhrzeit", "Editing the time"),
    T("SET_DATE_FORMAT", "Date format", "Datumsformat", "Heading of the format list"),
    T("SET_SUMMER_TIME", "Summer time", "Sommerzeit", "On/off"),
    T("SET_24H", "24-hour clock", "24-Stunden-Anzeige", "On/off"),
]
WEEKDAYS = [("MONDAY", "Monday", "Montag"), ("TUESDAY", "Tuesday", "Dienstag"),
            ("WEDNESDAY", "Wednesday", "Mittwoch"), ("THURSDAY", "Thursday", "Donnerstag"),
            ("FRIDAY", "Friday", "Freitag"), ("SATURDAY", "Saturday", "Samstag"), ("SUNDAY", "Sunday", "Sonntag")]
MONTHS = [("JANUARY", "January", "Januar"), ("FEBRUARY", "February", "Februar"), ("MARCH", "March", "März"),
          ("APRIL", "April", "April"), ("MAY", "May", "Mai"), ("JUNE", "June", "Juni"), ("JULY", "July", "Juli"),
          ("AUGUST", "August", "August"), ("SEPTEMBER", "September", "September"),
          ("OCTOBER", "October", "Oktober"), ("NOVEMBER", "November", "November"),
          ("DECEMBER", "December", "Dezember")]
CALENDAR = ([T("DAY_" + key, english, german, "Weekday, full name") for key, english, german in WEEKDAYS] +
            [T("DAY_SHORT_" + key, english[:2], german[:2], "Weekday, two letters") for key, english, german in
             WEEKDAYS] +
            [T("MONTH_" + key, english, german if key not in ("OCTOBER", "NOVEMBER", "DECEMBER") else None,
               "Month, full name") for key, english, german in MONTHS])

ALARM_TEXTS = [
    T("ALM_HIGH_TEMP", "High temperature", "Übertemperatur", "Alarm: measured value above the high limit"),
    T("ALM_LOW_TEMP", "Low temperature", "Untertemperatur", "Alarm: measured value below the low limit"),
    T("ALM_SENSOR_BREAK", "Sensor break", "Fühlerbruch", "Alarm: sensor circuit open"),
    T("ALM_SENSOR_SHORT", "Sensor short circuit", "Fühlerkurzschluss", "Alarm: sensor circuit shorted"),
    T("ALM_DOOR", "Door open too long", "Tür zu lange offen", "Alarm from the door contact"),
    T("ALM_POWER_FAIL", "Power failure", "Netzausfall", "Shown after the power returns"),
    T("ALM_DEFROST_TIME", "Defrost ended by time", None, "Warning: defrost did not reach its end temperature"),
    T("ALM_COMPRESSOR", "Compressor overload", "Verdichter überlastet", "Alarm from the motor protection input"),
    T("ALM_HIGH_PRESSURE", "High pressure", "Hochdruck", "Alarm from the pressure switch"),
    T("ALM_LOW_PRESSURE", "Low pressure", "Niederdruck", "Alarm from the pressure switch"),
    T("ALM_COMM", "Communication lost", "Kommunikation unterbrochen", "Alarm: no Modbus request within the timeout"),
    T("ALM_EEPROM", "Memory error", "Speicherfehler", "Alarm: settings could not be read; defaults loaded"),
    T("ALM_CLOCK", "Clock not set", "Uhr nicht gestellt", "Warning after a long power failure"),
    T("ALM_SERVICE_DUE", "Service due", "Wartung fällig", "Reminder after the service interval"),
    T("ALM_BANNER", INV + " ALARM " + NORM, INV + " ALARM " + NORM,
      "Flashing banner; the first code inverts the colours, the second one restores them"),
    T("ALM_ACTIVE_COUNT", WILD + " alarms active", WILD + " Alarme aktiv", "The box stands for the number"),
]
ALARM_HANDLING = [
    T("ALM_LIST", "Alarm list", "Alarmliste", "Heading"),
    T("ALM_HISTORY", "Alarm history", "Alarmspeicher", "Heading"),
    T("ALM_NONE", "No alarms", "Keine Alarme", "Shown in an empty list"),
    T("ALM_ACK", "Acknowledge", "Quittieren", "Soft key"),
    T("ALM_ACK_ALL", "Acknowledge all", "Alle quittieren", "Soft key"),
    T("ALM_RESET", "Reset alarm", "Alarm zurücksetzen", "Soft key"),
    T("ALM_DELAY", "Alarm delay", "Alarmverzögerung", "Minutes"),
    T("ALM_BUZZER", NOTE + " Buzzer", NOTE + " Summer", "On/off"),
    T("ALM_BUZZER_OFF", "Buzzer muted", "Summer stumm", "Status line"),
    T("ALM_RELAY", "Alarm relay", "Alarmrelais", "Heading"),
    T("ALM_SINCE", "since", "seit", "Followed by a date and time"),
    T("ALM_GONE", "gone", "gegangen", "State of an alarm in the history"),
    T("ALM_CAME", "came", "gekommen", "State of an alarm in the history"),
    T("ALM_CLEAR_HISTORY", "Clear history?", None, "Question before the alarm history is deleted"),
]
ERROR_CODES = [
    ("E01", "Sensor 1 faulty"), ("E02", "Sensor 2 faulty"), ("E03", "Sensor 3 faulty"),
    ("E04", "Evaporator sensor faulty"), ("E05", "Output 1 overloaded"), ("E06", "Output 2 overloaded"),
    ("E07", "Fan blocked"), ("E08", "Heater faulty"), ("E09", "Internal voltage too low"),
    ("E10", "Internal temperature too high"), ("E11", "Clock chip faulty"), ("E12", "Display faulty"),
    ("E13", "Keyboard stuck"), ("E14", "Configuration invalid"), ("E15", "Expansion module missing"),
    ("E16", "Expansion module faulty"), ("E17", "Update failed"), ("E18", "Licence missing"),
]
ERROR_GERMAN = {
    "E01": "Fühler 1 defekt", "E02": "Fühler 2 defekt", "E03": "Fühler 3 defekt",
    "E04": "Verdampferfühler defekt", "E05": "Ausgang 1 überlastet", "E06": "Ausgang 2 überlastet",
    "E07": "Lüfter blockiert", "E08": "Heizung defekt", "E09": "Interne Spannung zu niedrig",
    "E10": "Interne Temperatur zu hoch", "E11": "Uhrenbaustein defekt", "E12": "Anzeige defekt",
}
ERRORS = [T("ERR_" + code, code + " " + english, (code + " " + ERROR_GERMAN[code]) if code in ERROR_GERMAN else None,
            "Error code " + code + "; the code stays as it is in every language")
          for code, english in ERROR_CODES]

UNITS = [
    T("UNIT_CELSIUS", "°C", "°C", "Unit"), T("UNIT_FAHRENHEIT", "°F", "°F", "Unit"),
    T("UNIT_KELVIN", "K", "K", "Unit"), T("UNIT_PERCENT", "%", "%", "Unit"),
    T("UNIT_BAR", "bar", "bar", "Unit"), T("UNIT_PSI", "psi", "psi", "Unit"),
    T("UNIT_KPA", "kPa", "kPa", "Unit"), T("UNIT_FLOW", "l/min", "l/min", "Unit"),
    T("UNIT_VOLUME_FLOW", "m³/h", "m³/h", "Unit; the superscript is a device character"),
    T("UNIT_SECONDS", "s", "s", "Unit"), T("UNIT_MINUTES", "min", "min", "Unit"),
    T("UNIT_HOURS", "h", "h", "Unit"), T("UNIT_DAYS", "days", "Tage", "Unit"),
    T("UNIT_VOLT", "V", "V", "Unit"), T("UNIT_MILLIAMPERE", "mA", "mA", "Unit"),
    T("UNIT_MICROSECONDS", "µs", "µs", "Unit"), T("UNIT_OHM", "Ohm", "Ohm", "Unit; the device has no omega"),
    T("UNIT_SQUARE_METRE", "m²", "m²", "Unit"), T("UNIT_TIMES", "×", "×", "Multiplication sign"),
    T("UNIT_ABOUT", "≈", "≈", "Shown before estimated values"), T("UNIT_PLUS_MINUS", "±", "±", "Tolerance sign"),
    T("UNIT_KWH", "kWh", "kWh", "Unit"), T("UNIT_HERTZ", "Hz", "Hz", "Unit"),
]

STATUS = [
    T("STS_HEATING", "Heating", "Heizt", "Status line, max. 20 characters"),
    T("STS_COOLING", "Cooling", "Kühlt", "Status line, max. 20 characters"),
    T("STS_IDLE", "Idle", "Bereit", "Status line"),
    T("STS_STANDBY", "Standby", "Standby", "Status line"),
    T("STS_DEFROSTING", "Defrosting", "Abtauen", "Status line"),
    T("STS_DRIPPING", "Dripping", "Abtropfen", "Status line"),
    T("STS_DOOR_OPEN", "Door open", "Tür offen", "Status line"),
    T("STS_MANUAL", "Manual mode", "Handbetrieb", "Status line"),
    T("STS_REMOTE", "Remote control", "Fernsteuerung", "Status line while Modbus writes the setpoint"),
    T("STS_LOCKED", "Keys locked", "Tasten gesperrt", "Status line"),
    T("STS_UNLOCK_HINT", "Hold " + CHECK + " for 3 s" + CRLF + "to unlock",
      "Zum Entsperren" + CRLF + CHECK + " 3 s halten", "Two lines under the lock symbol"),
    T("STS_ECO", "Economy mode", "Sparbetrieb", "Status line"),
    T("STS_NIGHT", "Night setback", "Nachtabsenkung", "Status line"),
    T("STS_STARTING", "Starting...", "Startet...", "Shown while the outputs wait for their delay"),
    T("STS_SETPOINT_REACHED", "Setpoint reached", "Sollwert erreicht", "Status line"),
    T("STS_ACTUAL", "Actual", "Istwert", "Label of the measured value"),
    T("STS_TARGET", "Target", "Soll", "Label of the setpoint"),
    T("STS_OUTPUT", "Output", "Stellgröße", "Label of the output in percent"),
    T("STS_TREND_UP", UP + " rising", UP + " steigend", "Trend indicator"),
    T("STS_TREND_DOWN", DOWN + " falling", DOWN + " fallend", "Trend indicator"),
    T("STS_TREND_STEADY", UPDOWN + " steady", None, "Trend indicator"),
]

CHANNELS = []
for channel in (1, 2):
    CHANNELS += [
        T(f"CH{channel}_NAME", f"Channel {channel}", f"Kanal {channel}", "Heading of the channel page"),
        T(f"CH{channel}_SENSOR", f"Sensor {channel}", f"Fühler {channel}", "Sensor of the channel"),
        T(f"CH{channel}_SENSOR_TYPE", "Sensor type", "Fühlertyp", "Heading of the sensor type list"),
        T(f"CH{channel}_PT1000", "Pt1000", "Pt1000", "Sensor type, not translated"),
        T(f"CH{channel}_NTC", "NTC 10k", "NTC 10k", "Sensor type, not translated"),
        T(f"CH{channel}_OUTPUT", f"Output {channel}", f"Ausgang {channel}" if channel == 1 else None,
          "Relay of the channel"),
        T(f"CH{channel}_ENABLE", "Channel enabled", "Kanal aktiv" if channel == 1 else None, "On/off"),
        T(f"CH{channel}_LABEL", f"Name of channel {channel}", f"Name von Kanal {channel}" if channel == 1 else "",
          "User-defined name of up to 12 characters"),
    ]

MESSAGES = [
    T("MSG_SAVING", "Saving settings..." + CRLF + "Please wait", "Einstellungen werden" + CRLF + "gespeichert...",
      "Two lines, shown while the settings are written"),
    T("MSG_SAVED", "Settings saved", "Einstellungen gespeichert", "Confirmation"),
    T("MSG_NOT_SAVED", "Settings not saved!", "Einstellungen nicht gespeichert!", "Error after a failed write"),
    T("MSG_FACTORY_RESET", "Reset all settings" + CRLF + "to factory values?",
      "Alle Einstellungen auf" + CRLF + "Werkswerte zurücksetzen?", "Question, two lines"),
    T("MSG_RESET_DONE", "Factory settings loaded", "Werkseinstellungen geladen", "Confirmation"),
    T("MSG_ENTER_CODE", "Enter code", "Code eingeben", "Prompt for the service code"),
    T("MSG_WRONG_CODE", "Wrong code", "Falscher Code", "Error"),
    T("MSG_VALUE_TOO_HIGH", "Value too high", "Wert zu hoch", "Error while editing"),
    T("MSG_VALUE_TOO_LOW", "Value too low", "Wert zu niedrig", "Error while editing"),
    T("MSG_READ_ONLY", "Read only", "Nur lesen", "Shown on a locked value"),
    T("MSG_WELCOME", "Welcome", "Willkommen  ", "Start-up screen; the translation still has trailing blanks"),
    T("MSG_UPDATE", "Firmware update" + CRLF + "Do not switch off!", "Firmware-Update" + CRLF + "Nicht ausschalten!",
      "Two lines during an update"),
    T("MSG_UPDATE_DONE", "Update complete" + CRLF + "Restarting...", None, "Two lines after an update"),
    T("MSG_USB_INSERTED", "USB stick detected", None, "Shown when a USB stick is plugged in"),
    T("MSG_EXPORT_DONE", "Data exported", "\t" + CRLF, "Confirmation"),
    T("MSG_LOG_FULL", "Data log full", "Datenspeicher voll", "Warning"),
    T("MSG_COPYRIGHT", "© Orvane Controls", "© Orvane Controls", "Start-up screen; not translated"),
    T("MSG_QUOTE", "«Eco» saves energy", "«Eco» spart Energie", "Hint with guillemets"),
    T("MSG_TAB_TEST", "Out\t1", None, "Test text with a tab: the device ignores it"),
    T("MSG_LOGO", "\ufffc", "\ufffc", "Placeholder that the firmware replaces by the logo bitmap"),
]

SERVICE = [
    T("SRV_CODE", "Service code", "Servicecode", "Heading"),
    T("SRV_HOURS", "Operating hours", "Betriebsstunden", "Counter"),
    T("SRV_STARTS", "Compressor starts", "Verdichterstarts", "Counter"),
    T("SRV_FIRMWARE", "Firmware version", "Firmwareversion", "Followed by the version number"),
    T("SRV_SERIAL", "Serial number", None, "Followed by the number"),
    T("SRV_HARDWARE", "Hardware revision", None, "Followed by a letter"),
    T("SRV_CALIBRATE", "Calibration", None, "Menu entry"),
    T("SRV_CALIBRATE_ZERO", "Zero point", None, "Calibration step"),
    T("SRV_CALIBRATE_SPAN", "Span", None, "Calibration step"),
    T("SRV_TEST_OUTPUTS", "Test outputs", None, "Menu entry"),
    T("SRV_TEST_DISPLAY", "Test display", None, "Menu entry"),
    T("SRV_TEST_KEYS", "Test keys", None, "Menu entry"),
    T("SRV_INTERVAL", "Service interval", None, "Days between services"),
    T("SRV_LAST", "Last service", None, "Followed by a date"),
    T("SRV_CONFIRM", "Confirm service", None, "Soft key"),
    T("SRV_FACTORY_RESET", "Factory reset", None, "Menu entry"),
    T("SRV_EXPORT_LOG", "Export data log", None, "Menu entry, new in 1.12"),
    T("SRV_IMPORT_SETTINGS", "Import settings", None, "Menu entry, new in 1.12"),
    T("SRV_DEBUG", "Debug output", None, "Only for the factory; short translation is fine"),
]
INFO = [
    T("INFO_TITLE", "Device information", "~Geräteinformation", "Heading"),
    T("INFO_TYPE", "Device type", "~Gerätetyp", "Followed by the type"),
    T("INFO_MAX", "Maximum", "~Maximum", "Label of the highest value since the reset"),
    T("INFO_MIN", "Minimum", "~Minimum", "Label of the lowest value since the reset"),
    T("INFO_RESET_MINMAX", "Reset min./max.", "~Min./Max. zurücksetzen", "Soft key"),
    T("INFO_ENERGY", "Energy used", None, "Followed by kWh"),
    T("INFO_UPTIME", "Running since", "~In Betrieb seit", "Followed by days and hours"),
]

LANGUAGES = [
    T("LANG_ENGLISH", "English", "English", "Always the language's own name"),
    T("LANG_GERMAN", "Deutsch", "Deutsch", "Always the language's own name"),
    T("LANG_FRENCH", "Français", "Français", "Always the language's own name"),
    T("LANG_ITALIAN", "Italiano", "Italiano", "Always the language's own name"),
    T("LANG_SPANISH", "Español", "Español", "Always the language's own name"),
    T("LANG_DUTCH", "Nederlands", "Nederlands", "Always the language's own name"),
    T("LANG_POLISH", "Polski", "Polski", "Always the language's own name"),
]

LOGGING = [
    T("LOG_TITLE", "Data logging", None, "Heading, new in 1.12"),
    T("LOG_ENABLE", "Logging enabled", None, "On/off"),
    T("LOG_INTERVAL", "Logging interval", None, "Seconds between two records"),
    T("LOG_MEMORY", "Memory used", None, "Followed by a percentage"),
    T("LOG_RECORDS", "Records", None, "Followed by a number"),
    T("LOG_OLDEST", "Oldest record", None, "Followed by a date"),
    T("LOG_NEWEST", "Newest record", None, "Followed by a date"),
    T("LOG_WHEN_FULL", "When full", None, "Heading of the list below"),
    T("LOG_OVERWRITE", "overwrite oldest", None, "Value of 'When full'"),
    T("LOG_STOP", "stop logging", None, "Value of 'When full'"),
    T("LOG_CLEAR", "Clear log", None, "Soft key"),
    T("LOG_CLEAR_ASK", "Clear all records?" + CRLF + "This cannot be undone.", None, "Question, two lines"),
    T("LOG_EXPORTING", "Exporting " + WILD + " %", None, "The box stands for the progress"),
    T("LOG_NO_STICK", "No USB stick", None, "Error"),
    T("LOG_STICK_FULL", "USB stick full", None, "Error"),
    T("LOG_EVENTS", "Log events only", None, "On/off: alarms and setting changes only"),
    T("LOG_CHART", "Chart", None, "Soft key: shows the last 24 hours"),
    T("LOG_CHART_24H", "Last 24 h", None, "Chart title"),
    T("LOG_CHART_7D", "Last 7 days", None, "Chart title"),
    T("LOG_ZOOM", "Zoom " + LEFT + RIGHT, None, "Soft key hint"),
]

PROGRAMS = [
    T("PRG_TITLE", "Timer programs", None, "Heading, new in 1.12"),
    T("PRG_ACTIVE", "Program active", None, "Status line"),
    T("PRG_NONE", "No program", None, "Status line"),
    T("PRG_STEP", "Step " + WILD, None, "The box stands for the step number"),
    T("PRG_START_TIME", "Start time", None, "Time of day"),
    T("PRG_END_TIME", "End time", None, "Time of day"),
    T("PRG_DAYS", "Days", None, "Weekdays on which the step runs"),
    T("PRG_EVERY_DAY", "every day", None, "Value of 'Days'"),
    T("PRG_WORKDAYS", "Monday to Friday", None, "Value of 'Days'"),
    T("PRG_WEEKEND", "weekend", None, "Value of 'Days'"),
    T("PRG_SETPOINT", "Setpoint of the step", None, "Temperature"),
    T("PRG_ADD_STEP", "Add step", None, "Soft key"),
    T("PRG_DELETE_STEP", "Delete step", None, "Soft key"),
    T("PRG_COPY_DAY", "Copy day", None, "Soft key"),
    T("PRG_HOLIDAY", "Holiday mode", None, "On/off: runs the weekend program"),
    T("PRG_OVERLAP", "Steps overlap!", None, "Error"),
    T("PRG_NEXT", "Next change at", None, "Followed by a time"),
    T("PRG_PAUSED", "Program paused" + CRLF + "until next step", None, "Two lines after a manual change"),
    T("PRG_RESUME", "Resume program", None, "Soft key"),
    T("PRG_FULL", "Maximum 8 steps", None, "Error"),
]

# Old texts that the firmware no longer shows. Their items carry "UNUSED" in the label, so the
# editor hides them, but their definitions stay in the file.
UNUSED = [
    T("OLD_LOGO_TEXT", "ORVANE", "ORVANE", "Replaced by the logo bitmap"),
    T("OLD_HINT", "Press SET", "SET drücken", "Old help line"),
    T("OLD_MODE_DRY", "Dehumidify", "Entfeuchten", "Mode removed in 1.10"),
    T("OLD_ALARM_BATTERY", "Battery low", "Batterie schwach", "Hardware without battery since revision C"),
    T("OLD_SERVICE_PHONE", "Service: +49 000 000", None, "Removed on request of the sales department"),
]

# The block tree: (label, texts or nested blocks). Texts take their identifier as their label.
TREE = [
    ("Main menu", MAIN_MENU),
    ("Settings", [("Display", DISPLAY), ("Control", CONTROL), ("Communication", COMMUNICATION),
                  ("Date and time", DATE_TIME + [("Calendar", CALENDAR)]), ("Language", LANGUAGES)]),
    ("Channels", CHANNELS),
    ("Alarms", [("Alarm texts", ALARM_TEXTS), ("Error codes", ERRORS), ("Alarm handling", ALARM_HANDLING)]),
    ("Status lines", STATUS),
    ("Units", UNITS),
    ("Messages", MESSAGES),
    ("Data logging", LOGGING),
    ("Timer programs", PROGRAMS),
    ("Service", SERVICE + [("Information", INFO)]),
    ("UNUSED texts of 1.0", UNUSED[:3]),
]
# Two more unused texts stand among the alarm texts, labelled as such.
ALARM_TEXTS_UNUSED = UNUSED[3:]


def build():
    definitions = []
    index = 0

    def add_text(text, label_suffix=""):
        nonlocal index
        index += 1
        identifier, default, german, description = text
        marked = german is not None and not german.startswith("~")
        translation = "" if german is None else german.lstrip("~")
        definitions.append({"key": index, "index": index, "identifier": identifier, "defaultText": default,
                            "translation": translation, "translated": 1 if marked else 0,
                            "description": description})
        return {"label": identifier + label_suffix, "data": index}

    def add_block(label, entries):
        children = []
        for entry in entries:
            if len(entry) == 2:
                children.append(add_block(*entry))
            else:
                children.append(add_text(entry))
        if label == "Alarm texts":
            children += [add_text(text, " (UNUSED)") for text in ALARM_TEXTS_UNUSED]
        return {"label": label, "data": 0, "children": children}

    tree = [add_block(label, entries) for label, entries in TREE]
    return {"countPrefix": 1, "firmwareVersion": FIRMWARE_VERSION, "tree": tree, "definitions": definitions}


def main():
    content = build()
    path = pathlib.Path(__file__).with_name("sample-device.json")
    with path.open("w", encoding="utf-8", newline="\n") as out:
        json.dump(content, out, ensure_ascii=False, indent=1)
        out.write("\n")
    texts = content["definitions"]
    marked = sum(1 for text in texts if text["translated"])
    print(f"{path.name}: {len(texts)} texts, {marked} marked translated")


if __name__ == "__main__":
    main()
