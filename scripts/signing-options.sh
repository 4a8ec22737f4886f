# Sourced by the scripts that build what is shipped: their signing options, handed on to
# scripts/sign-windows.sh through its environment variables.
#
#     take_signing_option OPTION VALUE    # answers false for no such option or no value

take_signing_option() {
    (($# >= 2)) || return 1
    case "$1" in
        --sign-pkcs12) export VANTREL_SIGN_PKCS12="$2" ;;
        --sign-password-file) export VANTREL_SIGN_PASSWORD_FILE="$2" ;;
        --timestamp-url) export VANTREL_TIMESTAMP_URL="$2" ;;
        *) return 1 ;;
    esac
}
