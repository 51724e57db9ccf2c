// Gives conversion functions the converter of the upgrade running in the calling thread.
//
//   dbc_DatabaseConverter& c =
//       omi_Singleton<dbc_DatabaseConverterHolder>::Instance().GetDatabaseConverter();
#pragma once

class dbc_DatabaseConverter;

class dbc_DatabaseConverterHolder {
public:
    // The running upgrade's converter; throws when no upgrade runs in this thread.
    dbc_DatabaseConverter& GetDatabaseConverter() const;
    // Set by an upgrade for the time it runs (null when it ends).
    void SetDatabaseConverter(dbc_DatabaseConverter* converter);
};
