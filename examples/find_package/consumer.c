/* Links the installed component server through Orvelle::Controls and creates a control. */
#include <orvelle/orvelle.h>
#include <orvelle/version.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

static void Check(int ok, const char* what) {
    printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

int main(void) {
    printf("OrvelleControls %s\n", ORVELLE_VERSION_STRING);
#ifdef EXPECTED_VERSION
    Check(strcmp(ORVELLE_VERSION_STRING, EXPECTED_VERSION) == 0, "the installed version header");
#endif
    Check(DllRegisterServer() == OV_S_OK, "DllRegisterServer");
    OvGuid clsid;
    Check(OvCLSIDFromProgID("OrvelleControls.OV3DLine", &clsid) == OV_S_OK, "the ProgID is registered");
    OvDispatch* line = NULL;
    Check(OvCoCreateInstance(&clsid, &OV_IID_IDispatch, (void**)&line) == OV_S_OK && line, "an OV3DLine created");
    if (line) line->lpVtbl->Release(line);
    Check(DllCanUnloadNow() == OV_S_OK, "nothing left alive");
    Check(DllUnregisterServer() == OV_S_OK, "DllUnregisterServer");
    return failures ? 1 : 0;
}
