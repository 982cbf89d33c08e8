@@loop_second
