# Shared by run_golden.sh and update_golden.sh: runs one golden case the way its expected output was
# made. A case's first line may say "-- xcomp: OPTIONS" (quoted as in a shell); the command runs in the
# case's folder so that messages name the file relatively. A case that reads another case's input in
# other modes says so on its second line, "-- xcomp input: FILE", instead of holding a copy of it.
# Prints stdout, then stderr with the run time of the summary line written as "N s" (the one thing that
# differs from run to run); returns xcomp's exit status.
run_case() {
  xcomp_bin=$1
  case_file=$2
  dir=$(dirname "$case_file")
  base=$(basename "$case_file")
  opts=$(head -n 1 "$case_file" | sed -n 's/^-- xcomp: *//p' | tr -d '\r')
  input=$(sed -n '2s/^-- xcomp input: *//p' "$case_file" | tr -d '\r')
  [ -n "$input" ] && base=$input
  tmp_err=$(mktemp)
  # The options are read as a shell would read them, so a value with blanks can be quoted.
  (cd "$dir" && eval "\"\$xcomp_bin\" $opts \"\$base\"" 2>"$tmp_err")
  status=$?
  sed -E 's/^(xcomp: .*, in )[0-9]+\.[0-9]+ s$/\1N s/' "$tmp_err"
  rm -f "$tmp_err"
  return $status
}
